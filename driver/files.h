// Reading and replacing files. Every file is replaced through a temporary: the
// new content is written in full to a temporary file in the same directory,
// then the earlier file is deleted and the temporary renamed to the name, so
// a failure while writing leaves the earlier file whole and no temporary file
// behind. Failures throw FileError, naming the file and why.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

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

// The whole content of a file of at most kLargestSource bytes, held in the
// storage of large arrays (model/path_storage.h): a compiled path file is
// megabytes, and storage in 4 KiB pages costs a page fault for each.
class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(FileBytes&& o) noexcept : data_(o.data_), size_(o.size_), capacity_(o.capacity_) {
    o.data_ = nullptr, o.size_ = o.capacity_ = 0;
  }
  FileBytes& operator=(FileBytes&&) = delete;
  FileBytes(const FileBytes&) = delete;
  ~FileBytes();
  std::string_view view() const { return {data_, size_}; }

 private:
  friend FileBytes read_file_bytes(const std::string& path);
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

FileBytes read_file_bytes(const std::string& path);

bool file_exists(const std::string& path);

// Deletes the file; a missing file is no failure.
void remove_file(const std::string& path);

}  // namespace compactor
