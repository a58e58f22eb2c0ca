// Warnings: one authoring mistake per row of the table, each giving its
// warning at its line and column, and compiled bytes that are the same as
// those of the compile without warnings.
#include "compiler/warnings.h"

#include <gtest/gtest.h>

#include "compiler/test_sources.h"
#include "model/byte_sink.h"
#include "model/compiled_files.h"
#include "model/file_names.h"
#include "pipeline/compile.h"
#include "sources/exported_source.h"
#include "sources/line_description.h"
#include "sources/service_description.h"

namespace compactor {
namespace {

using testing::line_text;
using testing::service_text;

class StringSink : public ByteSink {
 public:
  void write(const char* data, size_t size) override { bytes.append(data, size); }
  std::string bytes;
};

struct Outcome {
  std::string bytes;  // path, table and track files
  int32_t error_code = 0;
  int32_t error_position = 0;
  size_t diagnostics = 0;
  std::vector<Warning> warnings;
};

Outcome compile(const std::string& line, const std::string& service, WarningSink* sink) {
  Sources sources;
  sources.line = SourceText{"line.txt", line};
  sources.service = SourceText{"svc.txt", service};
  CompiledScenario c = compile_scenario(1, Names{}, sources, nullptr, sink);
  Outcome o;
  StringSink out;
  if (!c.fatal) {
    write_path_file(c.scenario, out);
    write_table_file(c.scenario, out);
    write_track_file(c.scenario, out);
  }
  o.bytes = std::move(out.bytes);
  o.error_code = c.scenario.error_code;
  o.error_position = c.scenario.error_position;
  o.diagnostics = c.diagnostics.size();
  if (sink) o.warnings = sink->list;
  return o;
}

std::string station(int p, int type, int length, const std::string& time = "0, 0, 0") {
  return "stazione, " + std::to_string(p) + ", " + std::to_string(type) + ", " + std::to_string(length) +
         ", 0, 0, 0, 1, 1, 0, 2, 1, 1, 0, " + time + ", X\r\n";
}
std::string signal(int p) {
  return "segnale,   " + std::to_string(p) + ",   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n";
}
const std::string kUno = "progressiva chilometrica uno,    0,    111000,    0\r\n";

TEST(Warnings, EachAuthoringMistakeGivesItsWarningAndChangesNoByte) {
  const struct {
    const char* what;
    std::string line;
    std::string service;
    const char* name;
    const char* file;
    int line_no;
    int column;
    const char* says;  // a piece of the message
  } cases[] = {
      // The line text's rows start on line 4 (after "[generale]", the length
      // row and "[curve]"); the service text's on line 2.
      {"a typo in a row key", line_text(""), service_text("segnalle,   2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"),
       "unknown-key", "svc.txt", 2, 1, "did you mean \"segnale\"?"},
      {"a typo in a general row", line_text("", 241000, "sfonod uno,    1\r\n"), service_text(""), "unknown-key",
       "line.txt", 3, 1, "did you mean \"sfondo\"?"},
      {"an extra value", line_text("pendenza,  6000,  5,  7\r\n"), service_text(""), "row-shape", "line.txt", 4, 23,
       "takes 2 values but its line holds 3"},
      {"a missing value taken from the next line", line_text(""), service_text("velocita,  1000\r\n  120\r\n"),
       "row-shape", "svc.txt", 2, 1, "took the missing 1 from line 3"},
      {"gradients out of order", line_text("pendenza,  6000,  5\r\npendenza,  5000,  3\r\n"), service_text(""),
       "unordered", "line.txt", 5, 12, "lies before the previous one, at 6000 m"},
      {"two speed rows in one cell", line_text(""), service_text("velocita,  1000,  100\r\nvelocita,  1010,  90\r\n"),
       "unordered", "svc.txt", 3, 12, "takes effect from cell 21"},
      {"a curve behind the path", line_text("curvas3,  900,  1000\r\ncurvad2,  1500,  200\r\n"), service_text(""),
       "unordered", "line.txt", 5, 11, "none of it is drawn"},
      {"signals out of order", line_text(""), service_text(signal(4000) + signal(2000)), "unordered", "svc.txt", 3, 12,
       "lies before the previous one"},
      {"a tunnel type of 300 (with markers: 290)", line_text("montagna,  1000,  2000,  300\r\n"), service_text(""), "truncated", "line.txt",
       4, 26, "the value 290 does not fit its field, which holds 34"},
      {"an adhesion of 300", line_text(""), service_text("aderenza,  0,  300\r\n"), "truncated", "svc.txt", 2, 16,
       "which holds 44"},
      {"a signal time of 300", line_text(""), service_text("segnale, 2000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 300\r\n"),
       "truncated", "svc.txt", 2, 43, "signal time"},
      {"a speed of 123 km/h", line_text(""), service_text("velocita,  1000,  123\r\n"), "speed-step", "svc.txt", 2,
       19, "the track holds 125 km/h"},
      {"a board 2 m off its post", line_text("cartello_indicatore,  212400,   (Km 323+402)\r\n", 241000, kUno),
       service_text(""), "board-km", "line.txt", 5, 33, "the progressives give Km 323+400"},
      {"a station point over a signal", line_text(""), service_text(signal(10000) + station(10000, 12, 200)),
       "overwritten", "svc.txt", 3, 11, "which held a signal; that feature is gone"},
      {"a tunnel past the end of the track", line_text("montagna,  1000,  50000,  11\r\n", 1000), service_text(""),
       "clipped", "line.txt", 4, 19, "cuts it to the track's cells 20 to 160"},
      {"a timetable going back", line_text(""),
       service_text(station(10000, 28, 200, "16, 13, 0") + station(20000, 28, 200, "16, 0, 0")), "timetable",
       "svc.txt", 3, 57, "16:00:00 is earlier than 16:13:00"},
      {"a key taken by two rows", line_text("", 241000, "sfondo uno e due,    1,    0\r\n"), service_text(""),
       "multi-key", "line.txt", 3, 1, "taken by 2 rows"},
      {"a board and indicator key",
       line_text("cartello_indicatori_vmax, 2950, 1, 1, 1, 0, 1, 1, 1, 0, 5000, Km 1\r\n"), service_text(""),
       "multi-key", "line.txt", 4, 1, "the speed-indicator row and the direction-board row"},
      {"a signal off the grid", line_text(""), service_text(signal(17230)), "off-grid", "svc.txt", 2, 12,
       "rounds it to 17250 m"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WarningSink all;
    all.enabled = WarningSet::all();
    const Outcome with = compile(c.line, c.service, &all);
    const Outcome without = compile(c.line, c.service, nullptr);
    EXPECT_EQ(with.bytes, without.bytes);
    EXPECT_FALSE(with.bytes.empty());
    EXPECT_EQ(with.error_code, without.error_code);
    EXPECT_EQ(with.error_position, without.error_position);
    EXPECT_EQ(with.diagnostics, without.diagnostics);
    bool found = false;
    for (const Warning& w : with.warnings) {
      if (w.name != c.name) continue;
      found = true;
      EXPECT_EQ(w.file, c.file);
      EXPECT_EQ(w.line, c.line_no);
      EXPECT_EQ(w.column, c.column);
      EXPECT_NE(w.message.find(c.says), std::string::npos) << w.message;
      break;
    }
    EXPECT_TRUE(found) << "no " << c.name << " among " << with.warnings.size() << " warnings";
  }
}

TEST(Warnings, NotesNameTheRowsInvolved) {
  WarningSink sink;
  compile(line_text(""), service_text(signal(10000) + station(10000, 12, 200)), &sink);
  ASSERT_EQ(sink.list.size(), 1u);
  const Warning& w = sink.list[0];
  ASSERT_EQ(w.notes.size(), 1u);
  EXPECT_EQ(w.notes[0].file, "svc.txt");
  EXPECT_EQ(w.notes[0].line, 2);
  EXPECT_EQ(w.notes[0].column, 1);
  EXPECT_NE(w.notes[0].message.find("cell 201"), std::string::npos) << w.notes[0].message;
  EXPECT_EQ(w.notes[0].excerpt.source_line, "segnale,   10000,   2, 4, 0,  0, 0,    0,  0,0,0, 0");
}

TEST(Warnings, OneUnknownKeyPerLineAndNoneForCommentsHeadersOrEmptyFields) {
  WarningSink sink;
  compile(line_text("segnalle, 1, 2, 3\r\n--------\r\n[pendenze]\r\n,,\r\n"), service_text(""), &sink);
  ASSERT_EQ(sink.list.size(), 1u);
  EXPECT_EQ(sink.list[0].name, "unknown-key");
  EXPECT_EQ(sink.list[0].line, 4);
}

TEST(Warnings, OffGridIsOffByDefaultAndFlagsChooseWhatIsOn) {
  WarningSink defaults;
  compile(line_text(""), service_text(signal(17230) + "velocita,  1000,  123\r\n"), &defaults);
  ASSERT_EQ(defaults.list.size(), 1u);
  EXPECT_EQ(defaults.list[0].name, "speed-step");

  WarningFlags flags;
  EXPECT_EQ(apply_warning_flags({"all", "no-speed-step", "error"}, flags), std::nullopt);
  EXPECT_TRUE(flags.werror);
  EXPECT_TRUE(flags.enabled.has(WarningName::kOffGrid));
  EXPECT_FALSE(flags.enabled.has(WarningName::kSpeedStep));
  const std::optional<std::string> error = apply_warning_flags({"speed-stepp"}, flags);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("unknown warning \"speed-stepp\""), std::string::npos) << *error;
}

TEST(Warnings, TheExportedBuiltInSourcesGiveTheirTrueWarningsOnly) {
  const Names names;
  const std::string line = testing::exported_bytes(dati_linea, file_names::line_source(names));
  const std::string service = testing::exported_bytes(dati_treno, file_names::service_source(names));
  WarningSink defaults;
  const Outcome with = compile(line, service, &defaults);
  EXPECT_EQ(with.bytes, compile(line, service, nullptr).bytes);
  EXPECT_EQ(with.error_code, 0);
  ASSERT_EQ(defaults.list.size(), 1u);
  EXPECT_EQ(defaults.list[0].name, "board-km");
  EXPECT_EQ(defaults.list[0].line, 158);  // "cartello_indicatore,  212400,   (Km 323+402)"

  WarningSink all;
  all.enabled = WarningSet::all();
  compile(line, service, &all);
  std::vector<std::string> seen;
  for (const Warning& w : all.list) seen.push_back(w.name + " " + w.file + ":" + std::to_string(w.line));
  EXPECT_EQ(seen, (std::vector<std::string>{"board-km line.txt:158", "off-grid svc.txt:11",
                                            "off-grid svc.txt:85"}));
}

TEST(Warnings, EditDistanceStopsPastItsLimit) {
  EXPECT_EQ(edit_distance("segnalle", "segnale", 2), 1);
  EXPECT_EQ(edit_distance("curva", "curva", 2), 0);
  EXPECT_EQ(edit_distance("abbattimento", "segnale", 2), 3);
}

}  // namespace
}  // namespace compactor
