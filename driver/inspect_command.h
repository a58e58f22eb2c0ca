// The commands inspect and diff: read compiled files back, print what they
// hold or how two scenarios differ. Each returns the process exit status:
//   inspect: 0 every file read, 2 a file that cannot be read or decoded
//   diff:    0 the same, 1 different, 2 a file that cannot be read or decoded
//            (or A or B not there at all)
//   both:    64 a usage error (a file whose kind its name does not tell)
// A file that does not decode prints "FILE: not a compiled track file: WHAT
// at byte N" (or table, path) on standard error. Part of driver/.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "inspect/inspect.h"
#include "model/scenario.h"

namespace compactor {

enum class FileKind { kTrack, kTable, kPath };

// From the file's name: "..._linea.dat" a path file, ".sim" a table file,
// any other ".dat" a track file; nothing for any other name.
std::optional<FileKind> kind_from_name(const std::string& path);

struct InspectOptions {
  std::vector<std::string> files;
  std::optional<FileKind> as;  // --as: every file is of this kind
  bool all = false;            // --all: every cell of a track file
  std::optional<inspect::PointRange> points;  // --points A:B
  bool json = false;
};

struct DiffOptions {
  std::string a, b;  // two directories, or two files of the same kind
  Names names;       // A's names, and B's unless these are given:
  std::optional<std::string> scenario_b, train_b;
  bool json = false;
};

// The scenario that the three compiled files in `dir` hold, named by `names`,
// read through the decoder; nothing, after saying why on standard error,
// when one of them cannot be read or decoded.
std::optional<Scenario> load_compiled_scenario(const std::string& dir, const Names& names);

int run_inspect(const InspectOptions& options);
int run_diff(const DiffOptions& options);

}  // namespace compactor
