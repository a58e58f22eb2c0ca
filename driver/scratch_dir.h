// Tests' scratch directories: a fresh, empty directory under the system's
// temporary directory, unique to this process and this call, so tests that
// run side by side never share one.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace compactor::testing {

inline std::filesystem::path scratch_dir(const std::string& tag) {
  static std::atomic<int> counter{0};
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("compactor_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace compactor::testing
