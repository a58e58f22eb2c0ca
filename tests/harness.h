// Runs the compactor executable in a scratch directory of its own and
// captures its exit status, standard output and standard error.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/scratch_dir.h"

namespace compactor::e2e {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void spit(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

// A scratch directory of the running test, removed afterwards.
class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    dir_ = testing::scratch_dir("e2e_" + name);
  }
  ~Scratch() {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  const fs::path& dir() const { return dir_; }
  fs::path operator/(const std::string& name) const { return dir_ / name; }

  // Runs compactor with `args` from inside the scratch directory.
  Result run(const std::vector<std::string>& args, const std::string& shell_prefix = "") const {
    std::string cmd = "cd " + quote(dir_.string()) + " && " + shell_prefix + quote(COMPACTOR_EXE);
    for (const std::string& a : args) cmd += " " + quote(a);
    cmd += " >" + quote((dir_ / ".out").string()) + " 2>" + quote((dir_ / ".err").string()) +
           " </dev/null";
    Result r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(dir_ / ".out");
    r.err = slurp(dir_ / ".err");
    fs::remove(dir_ / ".out");
    fs::remove(dir_ / ".err");
    return r;
  }

 private:
  fs::path dir_;
};

}  // namespace compactor::e2e
