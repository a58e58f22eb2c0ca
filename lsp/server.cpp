#include "lsp/server.h"

#include <algorithm>
#include <cstdint>

#include "lsp/text.h"

namespace compactor::lsp {
namespace {

constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

struct RpcError {
  int code;
  std::string message;
};

json error_reply(const json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

// A position's line or character: a whole number, held to the range of int.
int whole(const json& j) {
  if (!j.is_number_integer()) throw RpcError{kInvalidParams, "a line or character must be a whole number"};
  const int64_t v = j.is_number_unsigned() ? static_cast<int64_t>(std::min<uint64_t>(j.get<uint64_t>(), INT32_MAX))
                                           : j.get<int64_t>();
  return static_cast<int>(std::clamp<int64_t>(v, 0, INT32_MAX));
}

bool valid_id(const json& id) { return id.is_string() || id.is_number_integer() || id.is_null(); }

std::string folder_of_uri(const std::string& uri) {
  const std::optional<std::string> path = uri_to_path(uri);
  return path ? parent_folder(*path) : std::string();
}

bool ends_with_txt(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == ".txt";
}

// Applies one change of didChange: the whole text, or a range of it.
void apply_change(std::string& text, const json& change) {
  const std::string& replacement = change.at("text").get_ref<const std::string&>();
  if (!change.contains("range")) {
    text = replacement;
    return;
  }
  const json& r = change.at("range");
  auto offset = [&](const json& pos) {
    const int line = whole(pos.at("line"));
    const int character = whole(pos.at("character"));
    size_t start = 0;
    for (int n = 0; n < line; ++n) {
      const size_t nl = text.find('\n', start);
      if (nl == std::string::npos) return text.size();
      start = nl + 1;
    }
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start && text[end - 1] == '\r') --end;
    return start + byte_column(std::string_view(text).substr(start, end - start), character);
  };
  const size_t from = offset(r.at("start"));
  const size_t to = std::max(from, offset(r.at("end")));
  text.replace(from, to - from, replacement);
}

}  // namespace

std::vector<json> Server::handle_body(std::string_view body) {
  json message = json::parse(body, nullptr, false);
  if (message.is_discarded()) return {error_reply(nullptr, kParseError, "the message is not JSON")};
  return handle(message);
}

std::vector<json> Server::handle(const json& message) {
  outbox_.clear();
  if (!message.is_object()) {
    return {error_reply(nullptr, kInvalidRequest, "a message must be a JSON object")};
  }
  const json id = message.contains("id") && valid_id(message["id"]) ? message["id"] : json(nullptr);
  if (message.value("jsonrpc", json()) != "2.0") {
    return {error_reply(id, kInvalidRequest, "\"jsonrpc\" must be \"2.0\"")};
  }
  if (message.contains("id") && !valid_id(message["id"])) {
    return {error_reply(nullptr, kInvalidRequest, "\"id\" must be a number or a string")};
  }
  if (!message.contains("method")) {
    // A response to a request of ours: we send none, so nothing to do.
    if (message.contains("id") && (message.contains("result") || message.contains("error"))) return {};
    return {error_reply(id, kInvalidRequest, "a request needs a \"method\"")};
  }
  if (!message["method"].is_string()) {
    return {error_reply(id, kInvalidRequest, "\"method\" must be a string")};
  }
  const std::string method = message["method"];
  const json params = message.contains("params") ? message["params"] : json::object();
  const bool is_request = message.contains("id");
  std::vector<json> out;
  try {
    if (!params.is_object() && !params.is_array()) throw RpcError{kInvalidParams, "\"params\" must be an object"};
    if (is_request) {
      json result = request(method, params);
      out.push_back({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
    } else {
      notification(method, params);
    }
  } catch (const RpcError& e) {
    if (is_request) out.push_back(error_reply(id, e.code, e.message));
  } catch (const json::exception& e) {
    if (is_request) out.push_back(error_reply(id, kInvalidParams, std::string("bad parameters: ") + e.what()));
  } catch (const std::exception& e) {
    if (is_request) out.push_back(error_reply(id, kInternalError, e.what()));
  }
  // Notifications produced (diagnostics) follow the reply.
  for (json& n : outbox_) out.push_back(std::move(n));
  outbox_.clear();
  return out;
}

json Server::request(const std::string& method, const json& params) {
  if (method == "initialize") {
    if (initialized_) throw RpcError{kInvalidRequest, "initialize was already received"};
    initialized_ = true;
    if (params.contains("initializationOptions")) apply_settings(params["initializationOptions"]);
    return {{"capabilities",
             {{"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
              {"hoverProvider", true},
              {"documentSymbolProvider", true},
              {"inlayHintProvider", true},
              {"completionProvider", {{"resolveProvider", false}}},
              {"documentFormattingProvider", true}}},
            {"serverInfo", {{"name", "compactor"}}}};
  }
  if (!initialized_) throw RpcError{kServerNotInitialized, "the server is not initialized"};
  if (shutdown_) throw RpcError{kInvalidRequest, "the server is shut down"};
  if (method == "shutdown") {
    shutdown_ = true;
    return nullptr;
  }
  if (method == "textDocument/hover") {
    const std::string& uri = params.at("textDocument").at("uri").get_ref<const std::string&>();
    const json& pos = params.at("position");
    const int line = whole(pos.at("line"));
    const int character = whole(pos.at("character"));
    const Document* doc = document(params);
    if (doc == nullptr) return nullptr;
    return hover(analysis_of(uri), uri, doc->text, line, character);
  }
  if (method == "textDocument/inlayHint") {
    const std::string& uri = params.at("textDocument").at("uri").get_ref<const std::string&>();
    const json& r = params.at("range");
    const int first = whole(r.at("start").at("line"));
    const int last = whole(r.at("end").at("line"));
    const Document* doc = document(params);
    const Analysis* a = analysis_of(uri);
    if (doc == nullptr || a == nullptr) return json::array();
    return inlay_hints(*a, doc->text, first, last);
  }
  if (method == "textDocument/documentSymbol") {
    const Document* doc = document(params);
    return doc ? document_symbols(doc->text) : json::array();
  }
  if (method == "textDocument/completion") {
    const Document* doc = document(params);
    if (doc == nullptr) return json::array();
    // A source not yet begun gets the keys of both kinds.
    std::string lower = doc->text;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    json items = completion_items(source_kind(doc->text));
    if (lower.find("[generale]") == std::string::npos) {
      for (json& item : completion_items(format::SourceKind::kLine)) items.push_back(std::move(item));
    }
    return {{"isIncomplete", false}, {"items", std::move(items)}};
  }
  if (method == "textDocument/formatting") {
    const Document* doc = document(params);
    return doc ? formatting_edits(doc->text) : json::array();
  }
  throw RpcError{kMethodNotFound, "no method " + method};
}

void Server::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exit_requested_ = true;
    return;
  }
  if (!initialized_ || shutdown_) return;  // notifications before initialize are dropped
  if (method == "initialized" || method.rfind("$/", 0) == 0) return;
  if (method == "textDocument/didOpen") {
    const json& td = params.at("textDocument");
    const int version = td.contains("version") && td["version"].is_number_integer() ? whole(td["version"]) : 0;
    documents_[td.at("uri").get<std::string>()] = Document{td.at("text").get<std::string>(), version};
    disk_lines_.clear();
    refresh();
  } else if (method == "textDocument/didChange") {
    const json& td = params.at("textDocument");
    auto it = documents_.find(td.at("uri").get<std::string>());
    if (it == documents_.end()) return;
    for (const json& change : params.at("contentChanges")) apply_change(it->second.text, change);
    if (td.contains("version") && td["version"].is_number_integer()) it->second.version = whole(td["version"]);
    refresh();
  } else if (method == "textDocument/didSave") {
    disk_lines_.clear();
    refresh();
  } else if (method == "textDocument/didClose") {
    documents_.erase(params.at("textDocument").at("uri").get<std::string>());
    disk_lines_.clear();
    refresh();
  } else if (method == "workspace/didChangeConfiguration") {
    const json& settings = params.value("settings", json::object());
    apply_settings(settings.contains("compactor") ? settings["compactor"] : settings);
    disk_lines_.clear();
    refresh();
  } else if (method == "workspace/didChangeWatchedFiles") {
    disk_lines_.clear();
    refresh();
  }
  // Other notifications are not ours: dropped, as the protocol asks.
}

void Server::apply_settings(const json& options) {
  if (!options.is_object()) return;
  if (options.contains("line")) {
    if (options["line"].is_string() && !options["line"].get<std::string>().empty()) {
      settings_.line = options["line"].get<std::string>();
    } else {
      settings_.line.reset();
    }
  }
  if (options.contains("scenario") && options["scenario"].is_string()) settings_.names.scenario = options["scenario"];
  if (options.contains("train") && options["train"].is_string()) settings_.names.train = options["train"];
  if (options.contains("keepPath") && options["keepPath"].is_boolean()) settings_.keep_path = options["keepPath"];
  if (options.contains("warnings") && options["warnings"].is_array()) {
    std::vector<std::string> values;
    for (const json& v : options["warnings"]) {
      if (v.is_string()) values.push_back(v);
    }
    WarningFlags flags;
    // An unknown name leaves the warnings as they were.
    if (!apply_warning_flags(values, flags)) settings_.warnings = flags;
  }
}

const Server::Document* Server::document(const json& params) const {
  auto it = documents_.find(params.at("textDocument").at("uri").get<std::string>());
  return it == documents_.end() ? nullptr : &it->second;
}

std::vector<std::string> Server::lines_on_disk(const std::string& folder) {
  auto cached = disk_lines_.find(folder);
  if (cached != disk_lines_.end()) return cached->second;
  std::vector<std::string> found;
  for (const std::string& name : disk_.list(folder)) {
    if (!ends_with_txt(name)) continue;
    const std::string path = folder + "/" + name;
    if (documents_.count(path_to_uri(path))) continue;  // open documents speak for themselves
    std::optional<std::string> text = disk_.read(path);
    if (text && source_kind(*text) == format::SourceKind::kLine) found.push_back(path);
  }
  std::sort(found.begin(), found.end());
  disk_lines_[folder] = found;
  return found;
}

std::optional<Server::LineChoice> Server::line_for(const std::string& service_uri, std::string& problem) {
  if (settings_.line) {
    const std::string uri = settings_.line->rfind("file:", 0) == 0 ? *settings_.line : path_to_uri(*settings_.line);
    if (auto it = documents_.find(uri); it != documents_.end()) return LineChoice{uri, it->second.text};
    const std::optional<std::string> path = uri_to_path(uri);
    std::optional<std::string> text = path ? disk_.read(*path) : std::nullopt;
    if (!text) {
      problem = "the line description " + *settings_.line + " cannot be read";
      return std::nullopt;
    }
    return LineChoice{uri, as_document_text(*text)};
  }
  const std::string folder = folder_of_uri(service_uri);
  std::vector<std::string> open;
  for (const auto& [uri, doc] : documents_) {
    if (uri != service_uri && folder_of_uri(uri) == folder && source_kind(doc.text) == format::SourceKind::kLine) {
      open.push_back(uri);
    }
  }
  if (open.size() == 1) return LineChoice{open[0], documents_.at(open[0]).text};
  if (open.size() > 1) {
    problem = std::to_string(open.size()) +
              " line descriptions are open in this folder; name one in the settings (\"line\")";
    return std::nullopt;
  }
  if (folder.empty()) {
    problem = "no line description: this document is not a file";
    return std::nullopt;
  }
  const std::vector<std::string> on_disk = lines_on_disk(folder);
  if (on_disk.size() == 1) {
    if (std::optional<std::string> text = disk_.read(on_disk[0])) {
      return LineChoice{path_to_uri(on_disk[0]), as_document_text(*text)};
    }
  }
  if (on_disk.empty()) {
    problem = "no line description (a source with \"lunghezza percorso\") in " + folder;
  } else {
    problem = std::to_string(on_disk.size()) + " line descriptions in " + folder +
              "; name one in the settings (\"line\")";
  }
  return std::nullopt;
}

void Server::refresh() {
  analyses_.clear();
  pairing_problems_.clear();
  std::set<std::string> paired_lines;
  for (const auto& [uri, doc] : documents_) {
    if (source_kind(doc.text) != format::SourceKind::kService) continue;
    std::string problem;
    std::optional<LineChoice> line = line_for(uri, problem);
    if (!line) {
      pairing_problems_[uri] = problem;
      continue;
    }
    paired_lines.insert(line->uri);
    analyses_.emplace(uri, analyse(line->uri, line->text, uri, doc.text, settings_.names, settings_.keep_path,
                                     settings_.warnings));
  }
  for (const auto& [uri, doc] : documents_) {
    if (source_kind(doc.text) != format::SourceKind::kLine || paired_lines.count(uri)) continue;
    analyses_.emplace(uri, analyse(uri, doc.text, "", "", settings_.names, settings_.keep_path, settings_.warnings));
  }

  // Every document's diagnostics, each once.
  std::map<std::string, json> now;
  for (const auto& [key, a] : analyses_) {
    for (auto& [uri, list] : diagnostics(a)) {
      json& into = now.emplace(uri, json::array()).first->second;
      for (json& d : list) {
        if (std::find(into.begin(), into.end(), d) == into.end()) into.push_back(std::move(d));
      }
    }
    now.emplace(a.line_uri, json::array());
    if (!a.service_uri.empty()) now.emplace(a.service_uri, json::array());
  }
  for (const auto& [uri, problem] : pairing_problems_) now[uri] = json::array({pairing_diagnostic(problem)});
  for (const auto& [uri, doc] : documents_) now.emplace(uri, json::array());

  std::set<std::string> uris;
  for (const auto& [uri, list] : now) uris.insert(uri);
  for (const auto& [uri, list] : published_) uris.insert(uri);
  for (const std::string& uri : uris) {
    const json list = now.count(uri) ? now[uri] : json::array();
    auto old = published_.find(uri);
    // Open documents get every compile's result; others only a change.
    if (old != published_.end() && old->second == list && !documents_.count(uri)) continue;
    if (old == published_.end() && list.empty() && !documents_.count(uri)) continue;
    json params = {{"uri", uri}, {"diagnostics", list}};
    if (auto doc = documents_.find(uri); doc != documents_.end()) params["version"] = doc->second.version;
    outbox_.push_back({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", params}});
    if (list.empty() && !documents_.count(uri)) published_.erase(uri);
    else published_[uri] = list;
  }
}

const Analysis* Server::analysis_of(const std::string& uri) const {
  if (auto it = analyses_.find(uri); it != analyses_.end()) return &it->second;
  for (const auto& [key, a] : analyses_) {
    if (a.line_uri == uri) return &a;
  }
  return nullptr;
}

}  // namespace compactor::lsp
