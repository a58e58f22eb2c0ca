#include "fuzz/round_trip.h"

#include "model/compiled_files.h"
#include "model/decoder.h"

namespace compactor::fuzz {
namespace {

// The first byte where two byte strings differ, for the report.
std::string first_difference(const std::string& a, std::string_view b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return "of " + std::to_string(b.size()) + " bytes, " + std::to_string(a.size()) +
         " come back, the first difference at byte " + std::to_string(i);
}

template <class T, class Same>
void bytes_round_trip(const char* file, std::string_view bytes, const Decoded<T>& decoded,
                      const std::string& again, const Decoded<T>& redecoded, Same same,
                      std::vector<std::string>& broken) {
  if (again != bytes) broken.push_back(std::string(file) + ": " + first_difference(again, bytes));
  if (!redecoded.ok()) {
    broken.push_back(std::string(file) + ": its own bytes do not decode: " + redecoded.error.what);
  } else if (!same(*decoded.value, *redecoded.value)) {
    broken.push_back(std::string(file) + ": decoded twice, two models");
  }
}

}  // namespace

std::vector<std::string> model_round_trip(const Scenario& s) {
  std::vector<std::string> broken;
  const std::string track = encode_track_file(s.track);
  const Decoded<TrackCells> t = decode_track_file(track);
  if (!t.ok()) {
    broken.push_back("track file: " + t.error.what + " at byte " + std::to_string(t.error.offset));
  } else {
    if (*t.value != s.track) broken.push_back("track file: decoded, another track");
    if (encode_track_file(*t.value) != track) broken.push_back("track file: encoded again, other bytes");
  }

  const std::string table = encode_table_file(s.table);
  const Decoded<Table> e = decode_table_file(table);
  if (!e.ok()) {
    broken.push_back("table file: " + e.error.what + " at byte " + std::to_string(e.error.offset));
  } else {
    if (*e.value != s.table) broken.push_back("table file: decoded, another table");
    if (encode_table_file(*e.value) != table) broken.push_back("table file: encoded again, other bytes");
  }

  if (s.keep_path != 0) {
    const std::string path = encode_path_file(s.path);
    const Decoded<Path> p = decode_path_file(path);
    if (!p.ok()) {
      broken.push_back("path file: " + p.error.what + " at byte " + std::to_string(p.error.offset));
    } else {
      if (!same_path(*p.value, s.path)) broken.push_back("path file: decoded, another path");
      if (encode_path_file(*p.value) != path) broken.push_back("path file: encoded again, other bytes");
    }
  }
  return broken;
}

std::vector<std::string> decode_round_trip(std::string_view bytes) {
  std::vector<std::string> broken;
  if (const Decoded<TrackCells> t = decode_track_file(bytes); t.ok()) {
    const std::string again = encode_track_file(*t.value);
    bytes_round_trip("track file", bytes, t, again, decode_track_file(again),
                     [](const TrackCells& a, const TrackCells& b) { return a == b; }, broken);
  }
  if (const Decoded<Table> e = decode_table_file(bytes); e.ok()) {
    const std::string again = encode_table_file(*e.value);
    bytes_round_trip("table file", bytes, e, again, decode_table_file(again),
                     [](const Table& a, const Table& b) { return a == b; }, broken);
  }
  if (const Decoded<Path> p = decode_path_file(bytes); p.ok()) {
    const std::string again = encode_path_file(*p.value);
    bytes_round_trip("path file", bytes, p, again, decode_path_file(again),
                     [](const Path& a, const Path& b) { return same_path(a, b); }, broken);
  }
  return broken;
}

}  // namespace compactor::fuzz
