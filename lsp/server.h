// The language server's core: protocol messages in, protocol messages out.
// It holds the open documents, pairs each service description with its line
// description, recompiles a pair in memory on every change and answers the
// requests. It touches no file itself: the files on disk beside an open
// service description come through a Disk it is given. Depends on lsp/
// analysis (pipeline/, compiler/, format/, model/).
//
// Every message gets its answer and none ends the server: a body that is not
// JSON gets -32700, a message that is not a request or notification -32600,
// an unknown method -32601, bad parameters -32602, a request before
// initialize -32002; only "exit" ends it.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "lsp/analysis.h"

namespace compactor::lsp {

using nlohmann::json;

// The files beside the open documents.
class Disk {
 public:
  virtual ~Disk() = default;
  // The bytes of a file, or nothing when it cannot be read.
  virtual std::optional<std::string> read(const std::string& path) = 0;
  // The names of the regular files in a folder.
  virtual std::vector<std::string> list(const std::string& folder) = 0;
};

struct Settings {
  std::optional<std::string> line;  // the line description to pair with, a path or file URI
  Names names;
  bool keep_path = true;
  // As the -W flags give them: "all", "no-unknown-key", "error", ...
  WarningFlags warnings;
};

class Server {
 public:
  explicit Server(Disk& disk) : disk_(disk) {}

  // One message body as received: its replies and notifications.
  std::vector<json> handle_body(std::string_view body);
  std::vector<json> handle(const json& message);

  bool exit_requested() const { return exit_requested_; }
  // 0 after shutdown then exit, 1 for an exit without shutdown.
  int exit_status() const { return shutdown_ ? 0 : 1; }

 private:
  struct Document {
    std::string text;
    int version = 0;
  };
  struct LineChoice {
    std::string uri;
    std::string text;
  };

  json request(const std::string& method, const json& params);
  void notification(const std::string& method, const json& params);
  void apply_settings(const json& options);

  std::optional<LineChoice> line_for(const std::string& service_uri, std::string& problem);
  std::vector<std::string> lines_on_disk(const std::string& folder);
  void refresh();
  const Analysis* analysis_of(const std::string& uri) const;
  const Document* document(const json& params) const;

  Disk& disk_;
  Settings settings_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exit_requested_ = false;
  std::map<std::string, Document> documents_;
  std::map<std::string, Analysis> analyses_;  // by service URI, or line URI compiled alone
  std::map<std::string, std::string> pairing_problems_;
  std::map<std::string, std::vector<std::string>> disk_lines_;  // folder: line descriptions on disk
  std::map<std::string, json> published_;
  std::vector<json> outbox_;
};

}  // namespace compactor::lsp
