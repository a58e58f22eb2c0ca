#include "driver/files.h"
#include "format/format.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "driver/row_table.h"
#include "driver/scratch_dir.h"
#include "format/row_layout.h"
#include "fuzz/fuzz_input.h"
#include "model/compiled_files.h"
#include "pipeline/compile.h"
#include "sources/line_description.h"
#include "sources/service_description.h"

namespace compactor::format {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& p) { return read_file(p.string()); }

// Everything a compile leaves that a caller can see.
struct Outcome {
  std::string path, table, track;
  int32_t error_code = 0;
  int32_t error_position = 0;
  std::optional<std::string> fatal;
  std::vector<std::tuple<int32_t, std::optional<int32_t>, std::string, int>> diagnostics;
  bool operator==(const Outcome&) const = default;
};

Outcome compile(const std::string& line, const std::string& service, bool keep_path) {
  Sources sources;
  sources.line = SourceText{"line", line};
  sources.service = SourceText{"service", service};
  CompiledScenario run = compile_scenario(keep_path ? 1 : 0, Names{}, sources);
  Outcome o;
  const Scenario& s = run.scenario;
  o.error_code = s.error_code;
  o.error_position = s.error_position;
  o.fatal = run.fatal;
  for (const Diagnostic& d : run.diagnostics) o.diagnostics.emplace_back(d.code, d.position, d.file, d.line);
  if (!run.fatal) {
    StringSink path, table, track;
    if (keep_path) write_path_file(s, path);
    write_table_file(s, table);
    write_track_file(s, track);
    o.path = std::move(path.bytes);
    o.table = std::move(table.bytes);
    o.track = std::move(track.bytes);
  }
  return o;
}

// The two properties: the formatted pair compiles as the original does, and
// formatting is idempotent.
void expect_properties(const std::string& name, const std::string& line, const std::string& service,
                       bool keep_path) {
  const std::string fline = format_source(line);
  const std::string fservice = format_source(service);
  EXPECT_EQ(format_source(fline), fline) << name << ": line description";
  EXPECT_EQ(format_source(fservice), fservice) << name << ": service description";
  const Outcome before = compile(line, service, keep_path);
  const Outcome after = compile(fline, fservice, keep_path);
  EXPECT_EQ(after.error_code, before.error_code) << name;
  EXPECT_EQ(after.error_position, before.error_position) << name;
  EXPECT_EQ(after.fatal, before.fatal) << name;
  EXPECT_TRUE(after.diagnostics == before.diagnostics) << name;
  EXPECT_TRUE(after.path == before.path) << name << ": path file";
  EXPECT_TRUE(after.table == before.table) << name << ": table file";
  EXPECT_TRUE(after.track == before.track) << name << ": track file";
}

void expect_properties_on_folder(const std::string& folder) {
  const fs::path dir = fs::path(COMPACTOR_FUZZ_DIR) / folder;
  int seen = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name.front() == '.' || name == "README") continue;
    const fuzz::FuzzInput input = fuzz::split_input(contents(entry.path()));
    expect_properties(folder + "/" + name, input.sources.line->text, input.sources.service->text,
                      input.keep_path);
    ++seen;
  }
  EXPECT_GT(seen, 0);
}

TEST(FormatProperties, FuzzSeeds) { expect_properties_on_folder("seeds"); }
TEST(FormatProperties, FuzzRegressionInputs) { expect_properties_on_folder("regression"); }

TEST(FormatProperties, BuiltInSourcesAreAlreadyFormatted) {
  const std::string line = render_rows(line_description_rows());
  const std::string service = render_rows(service_description_rows());
  EXPECT_EQ(format_source(line), line);
  EXPECT_EQ(format_source(service), service);
  expect_properties("built-in", line, service, true);
}

TEST(FormatProperties, GeneratedLongLines) {
#ifdef _WIN32
  GTEST_SKIP() << "the line generator is a POSIX shell script; the native build runs this test";
#endif
  const fs::path dir = testing::scratch_dir("format_gen_line");
  for (const char* length : {"250000", "1000000"}) {
    const fs::path out = dir / length;
    const std::string cmd = std::string("sh '") + COMPACTOR_BENCH_DIR + "/gen_line.sh' " + length + " '" +
                            out.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const std::string line = contents(out / "line.txt");
    const std::string service = contents(out / "service.txt");
    ASSERT_FALSE(line.empty());
    expect_properties(std::string("gen_line ") + length, line, service, true);
  }
  fs::remove_all(dir);
}

// The built-in sources with the blanks around every comma changed (none
// removed where a blank is the only separator): formatting gives them back
// byte for byte, and they compile as the built-in ones do.
std::string respace(const std::string& text, unsigned seed) {
  std::string out;
  unsigned state = seed;
  auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) % 4u; };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != ',') {
      out += text[i];
      continue;
    }
    out.append(next(), ' ');
    out += ',';
    while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
    out.append(next(), ' ');
    if (next() == 0) out += '\t';
  }
  return out;
}

TEST(FormatProperties, RespacedBuiltInSourcesComeBack) {
  const std::string line = render_rows(line_description_rows());
  const std::string service = render_rows(service_description_rows());
  for (unsigned seed : {1u, 2u, 3u}) {
    const std::string rline = respace(line, seed);
    const std::string rservice = respace(service, seed + 7);
    ASSERT_NE(rline, line);
    EXPECT_EQ(format_source(rline), line) << seed;
    EXPECT_EQ(format_source(rservice), service) << seed;
    expect_properties("respaced " + std::to_string(seed), rline, rservice, true);
  }
}

// Small edits of the kind a hand makes (a blank, a comma, a line end, a
// dash, a digit put in or taken out) on every kept fuzz input: whatever shape
// the rows take, the properties hold.
std::string mutate(std::string text, unsigned& state) {
  auto next = [&](unsigned n) { return state = state * 1103515245u + 12345u, (state >> 8) % n; };
  static const char* kPieces[] = {" ", "  ", ",", "\r\n", "\n", "-", "\t", "0", "7", "+", "x", ", ,"};
  const int edits = 1 + static_cast<int>(next(4));
  for (int k = 0; k < edits && !text.empty(); ++k) {
    const size_t at = next(static_cast<unsigned>(text.size()));
    if (next(3) == 0) {
      text.erase(at, 1 + next(2));
    } else {
      text.insert(at, kPieces[next(std::size(kPieces))]);
    }
  }
  return text;
}

TEST(FormatProperties, HandEditsOfTheFuzzInputs) {
  unsigned state = 12345;
  int tried = 0;
  for (const char* folder : {"seeds", "regression"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(COMPACTOR_FUZZ_DIR) / folder)) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_regular_file() || name.front() == '.' || name == "README") continue;
      const fuzz::FuzzInput input = fuzz::split_input(contents(entry.path()));
      for (int round = 0; round < 400; ++round) {
        const std::string line = mutate(input.sources.line->text, state);
        const std::string service = mutate(input.sources.service->text, state);
        expect_properties(std::string(folder) + "/" + name + " edit " + std::to_string(round), line, service, false);
        ++tried;
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  EXPECT_GT(tried, 0);
}

// Lines that must stay as they are, and lines laid out.
TEST(FormatLine, WhatItLaysOutAndWhatItLeaves) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      // laid out
      {"velocita,0,115", "velocita,       0,   115"},
      {"  velocita ,  18290 ,150  ", "velocita,   18290,   150"},
      {"segnale, 17230, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
      {"stazione,0,8,500,0,0,0,1,1,0,4,1,1,1,16,13,0,   LAVENA  ",
       "stazione,       0,  8,  500,  0, 0, 0,  1,1,0,  4,1,1,    1,  16,13, 0, LAVENA"},
      {"curvad6, 93250, 250", "curvad6,  93250,  250"},
      {"pendenza, 26550, -11", "pendenza,  26550,   -11"},
      {"cartello_indicatore,97500,(Km 208+500)", "cartello_indicatore,  97500,   (Km 208+500)"},
      {"orologio, 16 12 40", "orologio,    16              12            40 "},
      {"lunghezza percorso,241000", "lunghezza percorso,    241000"},
      {"velocita,123456789,+5", "velocita,123456789,    +5"},  // wider than its column: unpadded
      // left alone: comment fields, other spellings, other shapes
      {"-- velocita, 0, 115", nullptr},
      {"velocita-, 0, 115", nullptr},
      {"Velocita, 0, 115", nullptr},
      {"velocita, 0", nullptr},                    // goes on over the line end
      {"velocita, 0, 115,", nullptr},
      {"velocita, 0, 115, 7", nullptr},            // an extra field, read as a key
      {"velocita, 0 1, 115", nullptr},             // a blank ends a number
      {"velocita, 0x10, 115", nullptr},
      {"velocita, , 115", nullptr},
      {"curvax3, 900, 1000", nullptr},
      {"curvas7, 900, 1000", nullptr},
      {"curvas12, 900, 1000", nullptr},
      {"orologio, 16, 12, 40", nullptr},           // commas where blanks were
      {"orologio, 16 12", nullptr},
      {"cartello_indicatore, 97500,", nullptr},    // no text
      {"stazione,0,8,500,0,0,0,1,1,0,4,1,1,1,16,13,0, A, B", nullptr},  // a comma ends the name
      {"[stazioni]", nullptr},
      {"", nullptr},
      {"velocita, 0, 115\r", nullptr},             // a lone carriage return is content
      {"cartello_indicatore, 45000, (Km 44)\r ", nullptr},  // trimmed, it would end the line
  };
  for (const Case& c : cases) {
    EXPECT_EQ(format_line(c.in), c.out ? c.out : c.in) << c.in;
  }
}

TEST(FormatSource, LineEndsStay) {
  const std::string text = "[generale]\r\nsabbia,60\nnumero vetture,12\r\nvelocita,0,115";
  EXPECT_EQ(format_source(text),
            "[generale]\r\nsabbia,    60\nnumero vetture,    12\r\nvelocita,       0,   115");
  const std::vector<LineEdit> edits = format_edits(text);
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_EQ(edits[0].line, 1u);
  EXPECT_EQ(edits[2].text, "velocita,       0,   115");
}

// A row that goes on over its line end takes the next line's first field as
// its last value: that line is laid out, and reads the same.
TEST(FormatProperties, RowsOverLineEndsReadTheSame) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 241000\r\n"
      "progressiva chilometrica uno,0,111000,0\r\n[cartelli]\r\n"
      "cartello_indicatore,  97500\r\n   velocita ,  0 , 115\r\n"
      "pendenza, 6000\r\n  7, 8\r\n"
      "-- a comment, then a row\r\n"
      "montagna,24350,26350,11\r\n[fine]\r\n";
  const std::string service =
      "[generale]\r\norologio, 16 12 40\r\n[segnali]\r\n"
      "segnale, 2000, 2, 4, 0\r\n  0, 0, 0, 0, 0, 0, 0\r\n"
      "segnale,17230,2,4,1,1,0,2,2,1,1,0\r\n"
      "stazione, 0, 8, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 16, 13, 0, LAVENA\r\n[fine]\r\n";
  EXPECT_NE(format_source(line), line);
  expect_properties("rows over line ends", line, service, true);
}

TEST(RowShapes, EveryExampleIsLaidOutAsItStands) {
  for (const RowShape& shape : row_shapes()) {
    const std::optional<Row> row = parse_row(shape.example);
    ASSERT_TRUE(row) << shape.example;
    EXPECT_EQ(row->shape, &shape);
    EXPECT_EQ(layout_row(*row), shape.example);
  }
}

}  // namespace
}  // namespace compactor::format
