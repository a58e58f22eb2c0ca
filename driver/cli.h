// What a command file needs to add its command to the command line (CLI11).
// Each command lives in its own driver/*_command.cpp as one function
//
//   void add_NAME_command(CLI::App& app, Action& action);
//
// listed once in kCommands in driver/command_line.cpp. It adds its subcommand
// with add_command(), binds its options to state it owns (a shared_ptr that
// the action captures), and in the subcommand's callback sets `action` to
// the function that runs it and returns the exit status. Part of driver/.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace compactor {

// Runs the command the line asked for; returns the process exit status.
using Action = std::function<int()>;

struct CommandHelp {
  std::string synopsis;     // "compactor compile LINE SERVICE [--dir DIR] ..."
  std::string description;  // what the command does, a paragraph or two
  std::string examples;     // lines "  compactor compile ...  # what it does"
};

// Adds the subcommand `name` with its help: `compactor help NAME`,
// `compactor NAME --help` and the usage line of its usage errors.
CLI::App* add_command(CLI::App& app, const std::string& name, const CommandHelp& help);

// The options most commands share.
void add_dir_option(CLI::App* command, std::optional<std::string>& dir, const std::string& what);
void add_name_options(CLI::App* command, Names& names);
void add_json_flag(CLI::App* command, bool& json);

// GCC-style warning flags: -W NAME, -WNAME, -Wno-NAME, -Wall, -Werror. Each
// occurrence appends its value ("NAME", "no-NAME", "all", "error") in order;
// what they mean is for the diagnostics to decide.
void add_warning_flags(CLI::App* command, std::vector<std::string>& flags);

// Empty, ".", "..", or holding "/", "\" or a control character: names become
// file names, so such a name is refused.
bool is_valid_name(const std::string& name);

}  // namespace compactor
