#include "lsp/stdio.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "lsp/framing.h"
#include "lsp/server.h"

namespace compactor::lsp {
namespace {

namespace fs = std::filesystem;

// The largest file looked at when pairing.
constexpr std::uintmax_t kLargestFile = std::uintmax_t{64} << 20;

class FileDisk : public Disk {
 public:
  std::optional<std::string> read(const std::string& path) override {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kLargestFile || ec) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> list(const std::string& folder) override {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code kind;
      if (it->is_regular_file(kind)) names.push_back(it->path().filename().string());
    }
    return names;
  }
};

void send(std::ostream& out, const json& message) {
  out << frame(message.dump(-1, ' ', false, json::error_handler_t::replace));
  out.flush();
}

}  // namespace

int serve(std::istream& in, std::ostream& out) {
  FileDisk disk;
  Server server(disk);
  std::string line;
  for (;;) {
    // The header block, up to its empty line.
    std::string header;
    bool any = false;
    for (;;) {
      if (!std::getline(in, line)) return server.exit_status();
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) {
        if (any) break;
        continue;  // blank lines between messages
      }
      any = true;
      header += line + "\n";
    }
    const std::optional<size_t> length = content_length(header);
    if (!length) {
      send(out, {{"jsonrpc", "2.0"}, {"id", nullptr},
                 {"error", {{"code", -32700}, {"message", "a header without a valid Content-Length"}}}});
      continue;
    }
    if (*length > kLargestBody) {
      in.ignore(static_cast<std::streamsize>(*length));
      send(out, {{"jsonrpc", "2.0"}, {"id", nullptr},
                 {"error", {{"code", -32600}, {"message", "a message longer than the server takes"}}}});
      continue;
    }
    std::string body(*length, '\0');
    in.read(body.data(), static_cast<std::streamsize>(*length));
    if (static_cast<size_t>(in.gcount()) != *length) return server.exit_status();
    for (const json& reply : server.handle_body(body)) send(out, reply);
    if (server.exit_requested()) return server.exit_status();
  }
}

int serve_stdio() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::ios::sync_with_stdio(false);
  return serve(std::cin, std::cout);
}

}  // namespace compactor::lsp
