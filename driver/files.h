// Reading and replacing files. Every file is replaced through a temporary: the
// new content is written in full to a temporary file in the same directory,
// then the earlier file is deleted and the temporary renamed to the name, so
// a failure while writing leaves the earlier file whole and no temporary file
// behind. Failures throw FileError, naming the file and why.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "model/byte_sink.h"

namespace compactor {

class FileError : public std::runtime_error {
 public:
  FileError(std::string path, std::string reason)
      : std::runtime_error(path + ": " + reason), path_(std::move(path)), reason_(std::move(reason)) {}
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// Replaces the file at `path` with the bytes that `fill` writes to the sink.
void replace_file(const std::string& path, const std::function<void(ByteSink&)>& fill);

// Sources larger than this are refused: no source comes near it, and it
// bounds what an endless device or a wrong file can cost.
inline constexpr size_t kLargestSource = size_t{256} << 20;

// The whole content of a file of at most kLargestSource bytes.
std::string read_file(const std::string& path);

bool file_exists(const std::string& path);

// Deletes the file; a missing file is no failure.
void remove_file(const std::string& path);

}  // namespace compactor
