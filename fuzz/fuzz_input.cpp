#include "fuzz/fuzz_input.h"

#include "check/block_pass.h"
#include "compiler/rounding.h"
#include "model/compiled_files.h"

namespace compactor::fuzz {
namespace {

// A sink that only counts, so the largest line costs no memory to write.
class CountingSink : public ByteSink {
 public:
  void write(const char*, size_t size) override { bytes += size; }
  size_t bytes = 0;
};

bool is_defined_code(int32_t code) {
  switch (code) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10:
    case 11: case 12: case 13: case 15: case 16: case 17: case 18: case 19: case 20: case 21:
    case 22: case 24: case 25: case 101: case 102: case 103:
      return true;
    default:
      return false;
  }
}

}  // namespace

FuzzInput split_input(std::string_view data) {
  FuzzInput input;
  std::string_view line = data, service;
  // The first separator line of either kind splits the input.
  const size_t with_path = data.find(kSourceSeparator);
  const size_t without_path = data.find(kNoPathSeparator);
  if (with_path != std::string_view::npos || without_path != std::string_view::npos) {
    input.keep_path = without_path == std::string_view::npos ||
                      (with_path != std::string_view::npos && with_path < without_path);
    const size_t cut = input.keep_path ? with_path : without_path;
    const size_t length = input.keep_path ? kSourceSeparator.size() : kNoPathSeparator.size();
    line = data.substr(0, cut + 1);  // the line end before the separator stays with the line
    service = data.substr(cut + length);
  }
  input.sources.line = SourceText{"line", std::string(line)};
  input.sources.service = SourceText{"service", std::string(service)};
  return input;
}

std::string join_input(std::string_view line, std::string_view service, bool keep_path) {
  std::string out(line);
  if (out.empty() || out.back() != '\n') out += '\n';
  out += (keep_path ? kSourceSeparator : kNoPathSeparator).substr(1);
  out += service;
  return out;
}

namespace {

bool same_model(const Scenario& a, const Scenario& b) {
  if (a.track_allocated != b.track_allocated || a.track.size() != b.track.size() ||
      a.last_cell != b.last_cell || a.tunnel_count != b.tunnel_count || a.path.next != b.path.next) {
    return false;
  }
  for (size_t i = 0; i < a.track.size(); ++i) {
    const TrackCell& x = a.track[i];
    const TrackCell& y = b.track[i];
    if (x.kind != y.kind || x.paramA != y.paramA || x.paramB != y.paramB || x.paramC != y.paramC ||
        x.paramD != y.paramD || x.signalTime != y.signalTime || x.approach != y.approach ||
        x.tunnel != y.tunnel || x.speedStep != y.speedStep || x.gradientCode != y.gradientCode ||
        x.adhesion != y.adhesion) {
      return false;
    }
  }
  for (size_t e = 0; e < a.table.size(); ++e) {
    const TableEntry& x = a.table[e];
    const TableEntry& y = b.table[e];
    if (x.kind != y.kind || x.long1 != y.long1 || x.long2 != y.long2 || x.long3 != y.long3 ||
        x.long4 != y.long4 || x.flag != y.flag || x.text != y.text || x.int1 != y.int1 ||
        x.int2 != y.int2 || x.int3 != y.int3 || x.int4 != y.int4 || x.int5 != y.int5 ||
        x.byte1 != y.byte1 || x.byte2 != y.byte2 || x.byte3 != y.byte3 || x.byte4 != y.byte4) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> compile_and_check(std::string_view data) {
  std::vector<std::string> broken;
  auto expect = [&](bool ok, const std::string& what) {
    if (!ok) broken.push_back(what);
  };

  // The scenario as the compile driver sets it up.
  const FuzzInput input = split_input(data);
  Scenario s;
  s.keep_path = input.keep_path ? 1 : 0;
  s.error_code = 0;
  s.reset_table();
  std::vector<Diagnostic> diagnostics;
  memorizza_dati(s, input.sources, diagnostics);

  // Warnings and origins are side information: the same model with them.
  {
    Scenario w;
    w.keep_path = s.keep_path;
    w.reset_table();
    Origins origins;
    WarningSink sink;
    sink.enabled = WarningSet::all();
    std::vector<Diagnostic> w_diagnostics;
    memorizza_dati(w, input.sources, w_diagnostics, &origins, &sink);
    expect(w.error_code == s.error_code && w.error_position == s.error_position &&
               w_diagnostics.size() == diagnostics.size(),
           "warnings changed the error code, position or diagnostics");
    expect(same_model(w, s), "warnings changed the model");
    for (const Warning& warning : sink.list) {
      expect(warning.line > 0 && warning.column > 0, "a warning of no place: " + warning.message);
    }
    // Reading on past the faults ends, whatever the input.
    Scenario on;
    on.keep_path = s.keep_path;
    on.reset_table();
    WarningSink on_sink;
    ReadOn read_on;
    std::vector<Diagnostic> on_diagnostics;
    read_on_past_faults(on, input.sources, on_diagnostics, &on_sink, read_on);
  }

  const std::string code = "error code " + std::to_string(s.error_code);
  expect(is_defined_code(s.error_code), code + " is not one the compiler defines");
  if (s.error_code != 0) expect(!diagnostics.empty(), code + " without a diagnostic");
  if (!diagnostics.empty()) {
    expect(diagnostics.back().code == s.error_code,
           code + " differs from the latest diagnostic's " +
               std::to_string(diagnostics.back().code));
  }
  expect(s.tunnel_count >= 0 && s.tunnel_count <= kMaxTunnels,
         "tunnel count " + std::to_string(s.tunnel_count));
  for (const TableEntry& e : s.table) {
    expect(e.text.size() <= 65535, "a table text of " + std::to_string(e.text.size()) + " bytes");
  }

  if (!s.track_allocated) {
    // The compile driver stops here; a clean compile always has a track.
    expect(s.error_code != 0, "no track, but error code 0");
    return broken;
  }
  expect(s.last_cell >= 0, "last cell " + std::to_string(s.last_cell));
  expect(s.path_end >= kExtraMetres && s.path_end <= kMaxLineLength + kExtraMetres,
         "path end " + std::to_string(s.path_end));
  expect(s.last_cell == round_half_even(s.path_end / 50.0),
         "last cell " + std::to_string(s.last_cell) + " for path end " + std::to_string(s.path_end));
  expect(s.track.size() == static_cast<size_t>(s.last_cell) + 1,
         "track of " + std::to_string(s.track.size()) + " cells, last cell " +
             std::to_string(s.last_cell));
  expect(s.path.allocated == (s.keep_path != 0), "path allocated without the keep-path flag");
  if (s.path.allocated) {
    const size_t points = static_cast<size_t>(s.path.end) + 1;
    expect(s.path.end == s.path_end, "path end differs from the path's last point");
    expect(s.path.x.size() == points && s.path.y.size() == points, "path arrays of the wrong size");
    expect(s.path.next >= 2 && s.path.next <= s.path.end + 1,
           "next path point " + std::to_string(s.path.next));
  }

  block_pass(s, diagnostics);
  const std::optional<int> fatal = stamp_reserved_fields(s);
  expect(!fatal || *fatal == 1250 || *fatal == 1251, "fatal " + std::to_string(fatal.value_or(0)));
  expect(is_defined_code(s.error_code), "after the block pass: " + code);
  expect(s.track.size() == static_cast<size_t>(s.last_cell) + 1, "the block pass resized the track");
  for (size_t i = 0; i < s.track.size(); ++i) {
    if (!is_defined_kind(s.track[i].kind)) {
      expect(false, "cell " + std::to_string(i) + " of kind " + std::to_string(s.track[i].kind));
      break;
    }
  }
  if (fatal) return broken;
  expect(s.track[1].paramA == 5121 && s.table[85].int1 == 610, "stamps missing");

  CountingSink track, table;
  write_track_file(s, track);
  write_table_file(s, table);
  expect(track.bytes == kCellRecordSize * s.track.size(),
         "track file of " + std::to_string(track.bytes) + " bytes");
  size_t texts = 0;
  for (const TableEntry& e : s.table) texts += e.text.size();
  expect(table.bytes == kEntryFixedSize * kTableSize + texts,
         "table file of " + std::to_string(table.bytes) + " bytes");
  // The path file writes points 2 to next - 1 as computed values; the checks
  // on the path above keep it inside the arrays, and writing the largest path
  // for every input would cost more than the whole compile.
  return broken;
}

}  // namespace compactor::fuzz
