#include "driver/files.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <system_error>

#include "driver/platform.h"
#include "model/path_storage.h"

namespace compactor {
namespace fs = std::filesystem;
namespace {

std::string errno_text(int err) { return std::strerror(err); }

// Writes through a C stream, remembering the first failure.
class FileSink : public ByteSink {
 public:
  FileSink(std::FILE* f, const std::string& path) : f_(f), path_(path) {}
  void write(const char* data, size_t size) override {
    if (size == 0) return;
    if (std::fwrite(data, 1, size, f_) != size) {
      throw FileError(path_, "cannot write: " + errno_text(errno ? errno : EIO));
    }
  }

 private:
  std::FILE* f_;
  const std::string& path_;
};

// A hidden name beside the target: its directory, "." and its name, a random
// suffix. The path is cut as text rather than through std::filesystem::path,
// whose narrow strings need not come back in the code page they went in with
// (MinGW reads them in the ANSI code page and gives them back in UTF-8).
std::string temporary_name(const std::string& target) {
  static std::mt19937_64 generator{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "%016llx",
                static_cast<unsigned long long>(generator()));
  const char separators[] = {'/', static_cast<char>(fs::path::preferred_separator), '\0'};
  const size_t cut = target.find_last_of(separators);
  const size_t name = cut == std::string::npos ? 0 : cut + 1;
  return target.substr(0, name) + "." + target.substr(name) + "." + suffix + ".tmp";
}

}  // namespace

void replace_file(const std::string& path, const std::function<void(ByteSink&)>& fill) {
  const std::string tmp = temporary_name(path);
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (f == nullptr) throw FileError(path, "cannot create: " + errno_text(errno));
  // Writers hand over their bytes in large chunks; a stream buffer would only
  // copy them once more and split each chunk in two writes.
  std::setvbuf(f, nullptr, _IONBF, 0);
  bool closed = false;
  try {
    FileSink sink(f, path);
    fill(sink);
    if (std::fflush(f) != 0) throw FileError(path, "cannot write: " + errno_text(errno));
    closed = true;
    if (std::fclose(f) != 0) throw FileError(path, "cannot write: " + errno_text(errno));
    const std::string failure = platform::move_over(tmp, path);
    if (!failure.empty()) throw FileError(path, "cannot replace: " + failure);
  } catch (...) {
    if (!closed) std::fclose(f);
    std::error_code ignored;
    fs::remove(tmp, ignored);
    throw;
  }
}

namespace {

// Opens an existing regular file for reading, or says why not.
std::FILE* open_for_reading(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec || !fs::exists(st)) throw FileError(path, "no such file");
  if (fs::is_directory(st)) throw FileError(path, "is a directory");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw FileError(path, "cannot open: " + errno_text(errno));
  return f;
}

// Closes a file that was read, and says if reading it failed.
void close_after_reading(std::FILE* f, const std::string& path) {
  const bool failed = std::ferror(f) != 0;
  const int err = errno;
  std::fclose(f);
  if (failed) throw FileError(path, "cannot read: " + errno_text(err));
}

}  // namespace

std::string read_file(const std::string& path) {
  std::error_code ec;
  std::FILE* f = open_for_reading(path);
  // Read straight into one string sized to the file, so a source is held in
  // memory once, never twice while the string grows. A source larger than any
  // real one (or an endless device) is refused once it passes the limit.
  std::string text;
  const auto too_large = [&] {
    std::fclose(f);
    return FileError(path, "larger than " + std::to_string(kLargestSource >> 20) +
                               " MiB, too large for a source");
  };
  try {
    const uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kLargestSource) throw too_large();
    if (!ec) text.reserve(static_cast<size_t>(size));
    char buffer[1 << 16];
    for (;;) {
      const size_t n = std::fread(buffer, 1, sizeof buffer, f);
      if (text.size() + n > kLargestSource) throw too_large();
      text.append(buffer, n);
      if (n < sizeof buffer) break;
    }
  } catch (const std::bad_alloc&) {
    throw too_large();
  }
  close_after_reading(f, path);
  return text;
}

FileBytes::~FileBytes() {
  if (data_ != nullptr) free_path_storage(data_, capacity_);
}

FileBytes read_file_bytes(const std::string& path) {
  std::error_code ec;
  std::FILE* f = open_for_reading(path);
  std::setvbuf(f, nullptr, _IONBF, 0);
  FileBytes out;
  const auto fail = [&](const std::string& why) {
    std::fclose(f);
    return FileError(path, why);
  };
  const auto too_large = [&] {
    return fail("larger than " + std::to_string(kLargestSource >> 20) + " MiB, too large for a compiled file");
  };
  // Sized to the file, with room to notice one that grows, or is a device.
  const uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > kLargestSource) throw too_large();
  size_t capacity = ec ? size_t{1} << 16 : static_cast<size_t>(size) + 1;
  try {
    for (;;) {
      if (out.capacity_ < capacity) {
        char* bigger = static_cast<char*>(allocate_path_storage(capacity));
        if (out.size_ > 0) std::memcpy(bigger, out.data_, out.size_);
        if (out.data_ != nullptr) free_path_storage(out.data_, out.capacity_);
        out.data_ = bigger;
        out.capacity_ = capacity;
      }
      const size_t n = std::fread(out.data_ + out.size_, 1, out.capacity_ - out.size_, f);
      out.size_ += n;
      if (out.size_ > kLargestSource) throw too_large();
      if (out.size_ < out.capacity_) break;
      capacity = std::min(out.capacity_ * 2, kLargestSource + 1);
    }
  } catch (const std::bad_alloc&) {
    throw too_large();
  }
  close_after_reading(f, path);
  return out;
}

bool file_exists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

void remove_file(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
  if (ec && ec != std::errc::no_such_file_or_directory) {
    throw FileError(path, "cannot delete: " + ec.message());
  }
}

}  // namespace compactor
