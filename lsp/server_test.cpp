#include "lsp/server.h"

#include <gtest/gtest.h>

#include "driver/row_table.h"
#include "lsp/framing.h"
#include "lsp/text.h"
#include "sources/line_description.h"
#include "sources/service_description.h"

namespace compactor::lsp {
namespace {

class FakeDisk : public Disk {
 public:
  std::map<std::string, std::string> files;  // path: bytes
  std::optional<std::string> read(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  std::vector<std::string> list(const std::string& folder) override {
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files) {
      if (parent_folder(path) == folder) names.push_back(file_name(path));
    }
    return names;
  }
};

const std::string kLine = render_rows(line_description_rows());
const std::string kService = render_rows(service_description_rows());

json request(int id, const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}
json notice(const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}
json open(const std::string& uri, const std::string& text) {
  return notice("textDocument/didOpen",
                {{"textDocument", {{"uri", uri}, {"languageId", "compactor"}, {"version", 1}, {"text", text}}}});
}

// Diagnostics published per URI by a batch of messages.
std::map<std::string, json> published(const std::vector<json>& out) {
  std::map<std::string, json> by_uri;
  for (const json& m : out) {
    if (m.value("method", "") == "textDocument/publishDiagnostics") by_uri[m["params"]["uri"]] = m["params"]["diagnostics"];
  }
  return by_uri;
}

struct Session {
  FakeDisk disk;
  Server server{disk};
  Session() { server.handle(request(1, "initialize", {{"capabilities", json::object()}})); }
  std::vector<json> send(const json& m) { return server.handle(m); }
};

std::string with_second_signal(const std::string& service) {
  const std::string sig = "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n";
  std::string out = service;
  out.insert(out.find(sig) + sig.size(), "segnale,   17250,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n");
  return out;
}

TEST(LspPairing, AServiceDescriptionPairsWithTheOneLineDescriptionInItsFolder) {
  Session s;
  s.disk.files["/d/line.txt"] = kLine;
  s.disk.files["/d/notes.txt"] = "just some notes\r\n";
  s.disk.files["/e/other_linea.txt"] = kLine;  // another folder
  auto out = published(s.send(open("file:///d/svc.txt", with_second_signal(kService))));
  ASSERT_EQ(out["file:///d/svc.txt"].size(), 1u);
  EXPECT_EQ(out["file:///d/svc.txt"][0]["code"], "E16");

  // The open line description wins over the file: a fault in it shows, and
  // the service, never read, has nothing.
  std::string bad_line = kLine;
  bad_line.replace(bad_line.find("lunghezza percorso,    241000"), 29, "lunghezza percorso,    2000000");
  out = published(s.send(open("file:///d/mine_linea.txt", bad_line)));
  ASSERT_EQ(out["file:///d/mine_linea.txt"].size(), 1u);
  EXPECT_EQ(out["file:///d/mine_linea.txt"][0]["code"], "E1");
  EXPECT_TRUE(out["file:///d/svc.txt"].empty());
}

TEST(LspPairing, NoLineDescriptionOrMoreThanOneIsSaidOnTheService) {
  struct Case {
    std::vector<std::string> lines_on_disk;
    const char* says;
  };
  const Case cases[] = {
      {{}, "no line description"},
      {{"/d/a.txt", "/d/b.txt"}, "2 line descriptions in /d"},
  };
  for (const Case& c : cases) {
    Session s;
    for (const std::string& path : c.lines_on_disk) s.disk.files[path] = kLine;
    auto out = published(s.send(open("file:///d/svc.txt", kService)));
    ASSERT_EQ(out["file:///d/svc.txt"].size(), 1u) << c.says;
    EXPECT_NE(out["file:///d/svc.txt"][0]["message"].get<std::string>().find(c.says), std::string::npos)
        << out["file:///d/svc.txt"][0]["message"];
  }
  // The settings name the pair.
  Session s;
  s.disk.files["/d/a.txt"] = kLine;
  s.disk.files["/d/b.txt"] = kLine;
  s.send(notice("workspace/didChangeConfiguration", {{"settings", {{"compactor", {{"line", "/d/b.txt"}}}}}}));
  auto out = published(s.send(open("file:///d/svc.txt", with_second_signal(kService))));
  ASSERT_EQ(out["file:///d/svc.txt"].size(), 1u);
  EXPECT_EQ(out["file:///d/svc.txt"][0]["code"], "E16");
}

TEST(LspDiagnostics, AFaultOfTheLineDescriptionGoesOnItsFileWhenOnlyTheServiceIsOpen) {
  Session s;
  std::string bad_line = kLine;
  const std::string board = "cartello_indicatore,  97500,   (Km 208+500)\r\n";
  bad_line.insert(bad_line.find(board) + board.size(), "cartello_indicatore,  97510,   (Km 208+510)\r\n");
  s.disk.files["/d/line.txt"] = bad_line;
  auto out = published(s.send(open("file:///d/svc.txt", kService)));
  ASSERT_EQ(out["file:///d/line.txt"].size(), 1u);
  const json& d = out["file:///d/line.txt"][0];
  EXPECT_EQ(d["code"], "E6");
  EXPECT_EQ(d["source"], "compactor");
  // On the position field of the second board.
  EXPECT_EQ(d["range"]["start"]["character"], 22);
  EXPECT_EQ(d["range"]["end"]["character"], 27);
  // Closing the service clears both.
  out = published(s.send(notice("textDocument/didClose", {{"textDocument", {{"uri", "file:///d/svc.txt"}}}})));
  EXPECT_TRUE(out["file:///d/line.txt"].empty());
  EXPECT_TRUE(out["file:///d/svc.txt"].empty());
}

TEST(LspDiagnostics, TheBlockPassFaultGoesOnTheSlowdownsRow) {
  // Three signals packed before the slowdown's start leave the block pass no
  // free cell in its windows.
  Session s;
  s.disk.files["/d/line.txt"] = kLine;
  std::string service = kService;
  const std::string slow = "rallentamento,  213950,    60,  200, 0,  1,  60\r\n";
  const size_t at = service.find(slow);
  ASSERT_NE(at, std::string::npos);
  std::string rows;
  for (int p = 213600; p <= 213850; p += 50) {
    rows += "abbattimento,  " + std::to_string(p) + ",  60\r\n";
  }
  service.insert(at + slow.size(), rows);
  auto out = published(s.send(open("file:///d/svc.txt", service)));
  const json& list = out["file:///d/svc.txt"];
  ASSERT_FALSE(list.empty());
  int slow_line = 0;
  for (std::string_view l : text_lines(service)) {
    if (l.substr(0, 13) == "rallentamento") break;
    ++slow_line;
  }
  bool on_slowdown = false;
  for (const json& d : list) {
    if (d["code"] == "E12") {
      on_slowdown = d["range"]["start"]["line"] == slow_line;
      // Its notes: the slowdown's row, as related information.
      ASSERT_TRUE(d.contains("relatedInformation")) << d.dump();
      EXPECT_EQ(d["relatedInformation"][0]["location"]["range"]["start"]["line"], slow_line);
    }
  }
  EXPECT_TRUE(on_slowdown) << list.dump();
}

TEST(LspProtocol, ErrorRepliesNeverEndTheServer) {
  FakeDisk disk;
  Server server(disk);
  struct Case {
    std::string body;
    int code;
  };
  const Case cases[] = {
      {R"({"jsonrpc":"2.0","id":1,"method":"textDocument/hover","params":{}})", -32002},
      {"{not json", -32700},
      {"[]", -32600},
      {R"("text")", -32600},
      {R"({"jsonrpc":"2.0","id":2})", -32600},
      {R"({"jsonrpc":"2.0","id":3,"method":7})", -32600},
      {R"({"jsonrpc":"2.0","id":[1],"method":"shutdown"})", -32600},
      {R"({"id":4,"method":"initialize","params":{}})", -32600},
  };
  for (const Case& c : cases) {
    const std::vector<json> out = server.handle_body(c.body);
    ASSERT_EQ(out.size(), 1u) << c.body;
    EXPECT_EQ(out[0]["error"]["code"], c.code) << c.body;
  }
  ASSERT_EQ(server.handle_body(R"({"jsonrpc":"2.0","id":5,"method":"initialize","params":{}})")[0].count("result"), 1u);
  const Case after[] = {
      {R"({"jsonrpc":"2.0","id":6,"method":"initialize","params":{}})", -32600},
      {R"({"jsonrpc":"2.0","id":7,"method":"no/such/method","params":{}})", -32601},
      {R"({"jsonrpc":"2.0","id":8,"method":"textDocument/hover","params":{"textDocument":{}}})", -32602},
      {R"({"jsonrpc":"2.0","id":9,"method":"textDocument/formatting","params":3})", -32602},
      {R"({"jsonrpc":"2.0","id":10,"method":"textDocument/inlayHint","params":{"textDocument":{"uri":"file:///x"},"range":{"start":{"line":1e300},"end":{"line":2}}}})", -32602},
  };
  for (const Case& c : after) {
    const std::vector<json> out = server.handle_body(c.body);
    ASSERT_EQ(out.size(), 1u) << c.body;
    EXPECT_EQ(out[0]["error"]["code"], c.code) << c.body;
  }
  // Notifications, broken or unknown, get no reply.
  EXPECT_TRUE(server.handle_body(R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{}})").empty());
  EXPECT_TRUE(server.handle_body(R"({"jsonrpc":"2.0","method":"$/cancelRequest","params":{"id":1}})").empty());
  EXPECT_FALSE(server.exit_requested());
  server.handle_body(R"({"jsonrpc":"2.0","method":"exit"})");
  EXPECT_TRUE(server.exit_requested());
  EXPECT_EQ(server.exit_status(), 1);
}

TEST(LspFraming, ContentLength) {
  struct Case {
    const char* header;
    std::optional<size_t> length;
  };
  const Case cases[] = {
      {"Content-Length: 12\n", 12},
      {"content-length:7\nContent-Type: application/vscode-jsonrpc; charset=utf-8\n", 7},
      {"Content-Type: x\n", std::nullopt},
      {"Content-Length: 12x\n", std::nullopt},
      {"Content-Length: \n", std::nullopt},
      {"Content-Length: 1\nContent-Length: 2\n", std::nullopt},
      {"Content-Length: 99999999999999\n", std::nullopt},
      {"garbage\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(content_length(c.header), c.length) << c.header;
  EXPECT_EQ(frame("{}"), "Content-Length: 2\r\n\r\n{}");
}

TEST(LspText, ColumnsAndUris) {
  // "è" is two bytes and one UTF-16 unit; "𝄞" four bytes and two units.
  const std::string line = "a\xc3\xa8" "b\xf0\x9d\x84\x9e" "c";
  EXPECT_EQ(utf16_column(line, 3), 2);
  EXPECT_EQ(utf16_column(line, 8), 5);
  EXPECT_EQ(byte_column(line, 5), 8u);
  EXPECT_EQ(utf16_column("\xff" "x", 2), 2);  // a stray byte counts one
  EXPECT_EQ(uri_to_path("file:///tmp/a%20b/Lavena_Codrano2_ES%202718-.txt"), "/tmp/a b/Lavena_Codrano2_ES 2718-.txt");
  EXPECT_EQ(uri_to_path("file:///C:/sim/x.txt"), "C:/sim/x.txt");
  EXPECT_EQ(uri_to_path("untitled:Untitled-1"), std::nullopt);
  EXPECT_EQ(path_to_uri("/tmp/a b/x-.txt"), "file:///tmp/a%20b/x-.txt");
  EXPECT_EQ(uri_to_path(path_to_uri("/t/%/é")), "/t/%/é");
  EXPECT_EQ(as_document_text("CITT\xc0"), "CITT\xc3\x80");       // Windows-1252
  EXPECT_EQ(as_document_text("CITT\xc3\x80"), "CITT\xc3\x80");  // UTF-8 as it is
}

TEST(LspInlayHints, TheKilometreOfEveryPosition) {
  const Analysis a = analyse("file:///d/l.txt", kLine, "file:///d/s.txt", kService, Names{}, false);
  const json hints = inlay_hints(a, "montagna,   24350,  26350,  11\r\n", 0, 0);
  ASSERT_EQ(hints.size(), 2u);
  EXPECT_EQ(hints[0]["label"], "km 135+350");
  EXPECT_EQ(hints[0]["position"]["character"], 17);
  EXPECT_EQ(hints[1]["label"], "km 137+350");
  // Before every progressive's start the first one counts on backwards.
  EXPECT_EQ(kilometre(a.run.scenario, -500), "km 110+500");
}

}  // namespace
}  // namespace compactor::lsp

namespace compactor::lsp {
namespace {

// The built-in board at 212400 reads 323+402 where the progressives give
// 323+400: a warning, an error under -Werror, gone when turned off.
TEST(LspWarnings, TheSettingsTurnWarningsOnOffOrIntoErrors) {
  struct Case {
    json warnings;
    std::optional<int> severity;  // none: no warning
  };
  const Case cases[] = {
      {json::array(), 2},
      {json::array({"error"}), 1},
      {json::array({"no-board-km"}), std::nullopt},
      {json::array({"no-such-warning"}), 2},  // refused: the warnings stay as they were
  };
  for (const Case& c : cases) {
    Session s;
    s.send(notice("workspace/didChangeConfiguration", {{"settings", {{"compactor", {{"warnings", c.warnings}}}}}}));
    auto out = published(s.send(open("file:///d/l_linea.txt", kLine)));
    const json& list = out["file:///d/l_linea.txt"];
    std::optional<int> severity;
    for (const json& d : list) {
      if (d["code"] == "-Wboard-km") severity = d["severity"].get<int>();
    }
    EXPECT_EQ(severity, c.severity) << c.warnings.dump() << list.dump();
  }
}

}  // namespace
}  // namespace compactor::lsp
