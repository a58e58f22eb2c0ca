#include "driver/command_line.h"

namespace compactor {

const char* const kUsage =
    "usage: compactor [--dir DIR] [--json]\n"
    "       compactor export [--dir DIR] [--json]\n"
    "       compactor compile LINE SERVICE [--dir DIR] [--scenario NAME] [--train NAME]\n"
    "                                      [--no-path] [--json]\n";

bool is_valid_name(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || u == 0x7f) return false;
  }
  return true;
}

ParsedCommand parse_command_line(const std::vector<std::string>& args) {
  Command cmd;
  size_t i = 0;
  if (!args.empty() && args[0] == "export") {
    cmd.mode = Mode::kExport;
    i = 1;
  } else if (!args.empty() && args[0] == "compile") {
    cmd.mode = Mode::kCompile;
    i = 1;
  }
  std::vector<std::string> positional;
  bool names_given = false;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      cmd.mode = Mode::kHelp;
      return {cmd, {}};
    } else if (a == "--json") {
      cmd.json = true;
    } else if (a == "--dir") {
      std::string dir;
      if (!value(dir) || dir.empty()) return {std::nullopt, "--dir needs a directory"};
      cmd.dir = dir;
    } else if (a == "--scenario" || a == "--train") {
      std::string name;
      if (!value(name)) return {std::nullopt, a + " needs a name"};
      if (!is_valid_name(name)) {
        return {std::nullopt, a + " \"" + name + "\" cannot name a file"};
      }
      (a == "--scenario" ? cmd.names.scenario : cmd.names.train) = name;
      names_given = true;
    } else if (a == "--no-path") {
      cmd.keep_path = false;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      return {std::nullopt, "unknown option " + a};
    } else {
      positional.push_back(a);
    }
  }
  if (cmd.mode == Mode::kCompile) {
    if (positional.size() != 2) return {std::nullopt, "compile needs LINE and SERVICE"};
    cmd.line_source = positional[0];
    cmd.service_source = positional[1];
    return {cmd, {}};
  }
  if (!positional.empty()) return {std::nullopt, "unexpected argument " + positional[0]};
  if (names_given || !cmd.keep_path) {
    return {std::nullopt, "--scenario, --train and --no-path go with compile"};
  }
  return {cmd, {}};
}

}  // namespace compactor
