// The way back from the three compiled files to the scenario model. Each
// decoder takes a file's bytes and returns its array of the model, or what
// is wrong and the byte offset where the file stops making sense; it never
// reads outside the bytes it is given and never throws for bad bytes.
//
// A decoder accepts exactly the files the writers of model/compiled_files.h
// can write, so for every decoded file the writers give back the same bytes,
// and decoding what the writers wrote gives the model back. Depends on
// model/ only.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/scenario.h"

namespace compactor {

struct DecodeError {
  std::string what;   // "a text of 300 bytes in entry 12 runs past the end of the file"
  size_t offset = 0;  // the byte where the file stops making sense
};

template <class T>
struct Decoded {
  std::optional<T> value;  // set on success
  DecodeError error;       // set when value is not

  bool ok() const { return value.has_value(); }
};

using TrackCells = std::vector<TrackCell>;
using Table = std::array<TableEntry, kTableSize>;

// Cells 0 to size / 15 - 1.
Decoded<TrackCells> decode_track_file(std::string_view bytes);

// The 87 entries, texts as their bytes (the ANSI code page).
Decoded<Table> decode_table_file(std::string_view bytes);

// The path, end = points per half - 1. Points 0 and 1 of both halves are
// either the integers (0, 0) and (0, 1) or both empty; then come the computed
// points, reals, the same count in both halves; every point after them is
// empty. The two halves are the same number of bytes.
Decoded<Path> decode_path_file(std::string_view bytes);

// The writers' bytes for one array of the model (the way there again).
std::string encode_track_file(const TrackCells& cells);
std::string encode_table_file(const Table& table);
std::string encode_path_file(const Path& path);

// True when both paths have the same end, computed points and origin, and
// every value agrees bit for bit (a NaN equals itself, 0.0 differs from -0.0).
bool same_path(const Path& a, const Path& b);

}  // namespace compactor
