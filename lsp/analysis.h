// What the language server knows of a pair of sources: the compile in memory
// with the origins of every cell, and the protocol's answers built from it
// (diagnostics, hover, inlay hints, symbols, completion, formatting edits).
// Pure: text and compiled model in, JSON out. Depends on pipeline/,
// compiler/, format/ and model/.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/origins.h"
#include "compiler/warnings.h"
#include "format/row_layout.h"
#include "pipeline/compile.h"

namespace compactor::lsp {

using nlohmann::json;

// A source whose general section holds "lunghezza percorso" is a line
// description; any other is a service description.
format::SourceKind source_kind(std::string_view text);

struct Analysis {
  std::string line_uri;
  std::string line_text;
  std::string service_uri;  // empty: the line description compiled alone
  std::string service_text;
  CompiledScenario run;
  Origins origins;
  std::vector<Warning> warnings;
  bool werror = false;  // warnings shown as errors
};

// Compiles the pair in memory, the sources named by their URIs, with the
// warnings `flags` turns on. Without a service description the line
// description compiles with an empty one.
Analysis analyse(std::string line_uri, std::string line_text, std::string service_uri,
                 std::string service_text, const Names& names, bool keep_path,
                 const WarningFlags& flags = WarningFlags{});

// The kilometre of a position by the ordered progressives (entries 81 to 83)
// of the compiled table: "km 208+500".
std::string kilometre(const Scenario& s, int64_t metres);

// Protocol Diagnostic objects by document URI: every fault (code "E<n>",
// an error) and every warning (code "-W<name>", a warning, or an error under
// -Werror), source "compactor", with its range at the field its caret points
// at and its notes as related information. The block pass's faults go on
// the row of the slowdown they concern.
std::map<std::string, std::vector<json>> diagnostics(const Analysis& a);

// A diagnostic of the pairing itself (no line description found), at the
// first line.
json pairing_diagnostic(const std::string& message);

// Hover at a line and UTF-16 column of the document `uri` (held in `a`, or
// `text` alone when nothing compiled it): null when the line is not a row.
json hover(const Analysis* a, const std::string& uri, std::string_view text, int line, int character);

// Inlay hints for the lines first_line to last_line: the kilometre after
// every position value.
json inlay_hints(const Analysis& a, std::string_view text, int first_line, int last_line);

// The sections, and inside them the stations, tunnels, slowdowns and
// direction boards.
json document_symbols(std::string_view text);

// The row keys of one kind of source, each with a snippet in the layout of
// the built-in sources.
json completion_items(format::SourceKind kind);

// The edits that format the document.
json formatting_edits(std::string_view text);

}  // namespace compactor::lsp
