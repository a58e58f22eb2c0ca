// The JSON of a path file's points written by several threads: the same text
// as inspect::write_path_json, byte for byte. A long path is two million
// shortest reals, which cost far more than the rest of the command; chunks of
// them are formatted by whichever thread is free and handed to the sink in
// order, so the text in flight stays a few chunks however long the path, and
// a thread the machine has no core for holds up no more than its chunk.
// Depends on inspect/ and model/.
#pragma once

#include <optional>
#include <string>

#include "inspect/inspect.h"
#include "model/byte_sink.h"

namespace compactor {

// Writes the path's JSON to `out` on `threads` threads (this one among them);
// a short path, or one thread, is written on this thread alone.
void write_path_json_threaded(const std::string& file, const Path& path,
                              std::optional<inspect::PointRange> range, ByteSink& out, unsigned threads);

// The threads worth starting here: the cores, at most 4.
unsigned path_json_threads();

}  // namespace compactor
