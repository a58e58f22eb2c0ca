// The origins side table: the row behind each placed cell and entry, and a
// model that is the same whether origins are kept or not.
#include "compiler/origins.h"

#include <gtest/gtest.h>

#include "compiler/test_sources.h"
#include "model/compiled_files.h"
#include "model/byte_sink.h"
#include "model/file_names.h"
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

std::string track_bytes(const Scenario& s) {
  StringSink sink;
  write_track_file(s, sink);
  write_table_file(s, sink);
  return sink.bytes;
}

struct Kept {
  Scenario s;
  std::vector<Diagnostic> diagnostics;
  Origins origins;
};

Kept compile(const std::string& line, const std::string& service, bool keep) {
  Kept r;
  r.s.keep_path = 1;
  r.s.reset_table();
  Sources sources;
  sources.line = SourceText{"line.txt", line};
  sources.service = SourceText{"svc.txt", service};
  memorizza_dati(r.s, sources, r.diagnostics, keep ? &r.origins : nullptr);
  return r;
}

TEST(Origins, NameTheRowThatPlacedEachFeature) {
  const std::string line = line_text(
      "montagna,   1000,   2000,   11\r\n"
      "cartello_indicatore,   5000,   Km 5+000\r\n");
  const std::string service = service_text(
      "segnale,   10000,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
      "stazione,   20000, 1, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, Alfa\r\n");
  const Kept r = compile(line, service, true);
  ASSERT_EQ(r.s.error_code, 0);
  ASSERT_EQ(r.origins.cells.size(), r.s.track.size());

  struct Case {
    int cell;
    uint8_t kind;
    std::string file;
    int line;
  };
  // The line text starts with "[generale]", the length row and "[curve]".
  const Case cases[] = {
      {201, kSignal, "svc.txt", 2},           // round(10000 / 50 + 1)
      {101, kDirectionBoard, "line.txt", 5},  // round(5000 / 50 + 1)
      {23, kTunnelMarker, "line.txt", 4},     // every fourth cell of the tunnel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    EXPECT_EQ(r.s.track[static_cast<size_t>(c.cell)].kind, c.kind);
    const SourcePlace& p = r.origins.cells[static_cast<size_t>(c.cell)];
    EXPECT_EQ(p.file, c.file);
    EXPECT_EQ(p.line, c.line);
    EXPECT_EQ(p.column, 0);
  }
  EXPECT_EQ(r.origins.entries[1].file, "svc.txt");
  EXPECT_EQ(r.origins.entries[1].line, 3);
  EXPECT_EQ(r.origins.entries[80].line, 5);
  ASSERT_EQ(r.origins.tunnels.size(), 2u);
  EXPECT_EQ(r.origins.tunnels[1].line, 4);
  // A plain cell has no origin.
  EXPECT_FALSE(r.origins.cells[3000].known());
}

TEST(Origins, KeepingThemChangesNoByte) {
  const Names names;
  const std::string line = testing::exported_bytes(dati_linea, file_names::line_source(names));
  const std::string service =
      testing::exported_bytes(dati_treno, file_names::service_source(names));
  const Kept with = compile(line, service, true);
  const Kept without = compile(line, service, false);
  EXPECT_EQ(track_bytes(with.s), track_bytes(without.s));
  EXPECT_EQ(with.s.error_code, without.s.error_code);
  EXPECT_EQ(with.diagnostics.size(), without.diagnostics.size());
}

TEST(CellPlaces, KeepTheLastPlaceOfEachCell) {
  CellPlaces cells;
  cells.resize(5);
  cells.set(1, "line.txt", 4, 0);
  cells.set(3, "svc.txt", 9, 2);
  cells.set(1, "svc.txt", 12, 1);  // a later row placed cell 1 again
  cells.set(4, "line.txt", 7, 0);
  cells.forget(4);                 // and a fill by no row took cell 4
  cells.set(2, "line.txt", 0, 0);  // line 0: no row
  struct Case {
    size_t cell;
    std::string file;
    int line;
    int column;
  };
  const Case cases[] = {
      {0, "", 0, 0}, {1, "svc.txt", 12, 1}, {2, "", 0, 0}, {3, "svc.txt", 9, 2}, {4, "", 0, 0}, {5, "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    const SourcePlace p = cells[c.cell];
    EXPECT_EQ(cells.known(c.cell), c.line > 0);
    EXPECT_EQ(p.file, c.file);
    EXPECT_EQ(cells.file(c.cell), c.file);
    EXPECT_EQ(p.line, c.line);
    EXPECT_EQ(cells.line(c.cell), c.line);
    EXPECT_EQ(p.column, c.column);
  }
  cells.resize(2);
  EXPECT_FALSE(cells.known(1));
}

}  // namespace
}  // namespace compactor
