#include "driver/command_line.h"

#include <algorithm>
#include <map>
#include <memory>

#include "driver/run.h"

namespace compactor {

// Every command of the program, in the order `compactor help` lists them.
void add_export_command(CLI::App& app, Action& action);
void add_compile_command(CLI::App& app, Action& action);
void add_check_command(CLI::App& app, Action& action);
void add_view_command(CLI::App& app, Action& action);
void add_inspect_command(CLI::App& app, Action& action);
void add_diff_command(CLI::App& app, Action& action);
void add_fmt_command(CLI::App& app, Action& action);
void add_lsp_command(CLI::App& app, Action& action);
#ifdef COMPACTOR_HAS_SERVE
void add_serve_command(CLI::App& app, Action& action);
#endif

namespace {

using CommandAdder = void (*)(CLI::App& app, Action& action);
constexpr CommandAdder kCommands[] = {
    add_export_command,
    add_compile_command,
    add_check_command,
    add_inspect_command,
    add_diff_command,
    add_view_command,
#ifdef COMPACTOR_HAS_SERVE
    add_serve_command,
#endif
    add_lsp_command,
    add_fmt_command,
};

const CommandHelp kBuiltInHelp = {
    "compactor [--dir DIR] [--json]\n"
    "       compactor COMMAND [ARGS...]\n"
    "       compactor help [COMMAND]",
    "A scenario compiler for a train-driving simulator. With no command, the built-in run:\n"
    "it writes the built-in scenario's two source texts and its three crew documents,\n"
    "compiles the sources into the three compiled files, deletes the sources and leaves\n"
    "the rest, all in the directory that holds the program (or DIR).",
    "  compactor                  # the built-in run beside the program\n"
    "  compactor --dir out        # the same run in out/\n"
    "  compactor help compile     # what compile does, with its options",
};

// Help pages in the form of git's and ninja's: a usage line, what the
// command does, its arguments and options, examples.
class HelpFormatter : public CLI::Formatter {
 public:
  void describe(const CLI::App* command, CommandHelp help) { helps_[command] = std::move(help); }

  std::string synopsis(const CLI::App* command) const {
    auto it = helps_.find(command);
    return it != helps_.end() ? it->second.synopsis : "compactor " + command->get_name();
  }

  // usage, what it does, arguments, options, commands, examples.
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    std::string out = make_usage(app, name) + make_description(app) + make_positionals(app) +
                      make_groups(app, mode) + make_subcommands(app, mode) + make_footer(app);
    return out;
  }

  std::string make_usage(const CLI::App* app, std::string) const override {
    return "usage: " + synopsis(app) + "\n";
  }

  std::string make_description(const CLI::App* app) const override {
    auto it = helps_.find(app);
    if (it == helps_.end() || it->second.description.empty()) return "";
    return "\n" + it->second.description + "\n";
  }

  std::string make_subcommand(const CLI::App* sub) const override {
    std::string line = sub->get_description();
    line = line.substr(0, line.find('\n'));
    std::string name = "  " + sub->get_name();
    if (name.size() < 12) name.resize(12, ' ');
    return name + line + "\n";
  }

  std::string make_footer(const CLI::App* app) const override {
    std::string out;
    auto it = helps_.find(app);
    if (it != helps_.end() && !it->second.examples.empty()) {
      out += "\nExamples:\n" + it->second.examples + "\n";
    }
    if (app->get_parent() == nullptr) {
      out += "\nRun 'compactor help COMMAND' or 'compactor COMMAND --help' for a command's page.\n";
    }
    return out;
  }

 private:
  std::map<const CLI::App*, CommandHelp> helps_;
};

std::shared_ptr<HelpFormatter> formatter_of(const CLI::App& app) {
  return std::dynamic_pointer_cast<HelpFormatter>(app.get_formatter());
}

// The deepest command the parser had chosen when it stopped.
const CLI::App* chosen_command(const CLI::App& app) {
  const CLI::App* at = &app;
  for (;;) {
    const auto subs = at->get_subcommands();
    if (subs.empty()) return at;
    at = subs.front();
  }
}

}  // namespace

CLI::App* add_command(CLI::App& app, const std::string& name, const CommandHelp& help) {
  CLI::App* command = app.add_subcommand(name, help.description);
  command->group("Commands");
  if (auto f = formatter_of(app)) f->describe(command, help);
  return command;
}

bool is_valid_name(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || u == 0x7f) return false;
  }
  return true;
}

void add_dir_option(CLI::App* command, std::optional<std::string>& dir, const std::string& what) {
  command->add_option_function<std::string>("--dir", [&dir](const std::string& d) { dir = d; }, what)
      ->type_name("DIR")
      ->check([](const std::string& d) { return d.empty() ? std::string("--dir needs a directory") : ""; });
}

void add_name_options(CLI::App* command, Names& names) {
  auto name_check = [](const std::string& option) {
    return [option](const std::string& name) {
      return is_valid_name(name) ? std::string() : option + " \"" + name + "\" cannot name a file";
    };
  };
  command->add_option("--scenario", names.scenario,
                      "the scenario name, which names the compiled files (default Lavena_Codrano2)")
      ->type_name("NAME")
      ->check(name_check("--scenario"));
  command->add_option("--train", names.train,
                      "the train name, which names the table and track files (default \"ES 2718\")")
      ->type_name("NAME")
      ->check(name_check("--train"));
}

void add_json_flag(CLI::App* command, bool& json) {
  command->add_flag("--json", json, "one JSON object on standard output instead of diagnostics");
}

void add_warning_flags(CLI::App* command, std::vector<std::string>& flags) {
  command
      ->add_option("-W", flags,
                   "-W NAME or -WNAME turns a warning on, -Wno-NAME off; -Wall turns every warning "
                   "on, -Werror makes any warning fail the run")
      ->type_name("NAME")
      ->allow_extra_args(false);
}

ParsedCommand parse_command_line(const std::vector<std::string>& args) {
  CLI::App app{kBuiltInHelp.description, "compactor"};
  auto formatter = std::make_shared<HelpFormatter>();
  formatter->describe(&app, kBuiltInHelp);
  formatter->column_width(24);
  app.formatter(formatter);
  app.set_help_flag("-h,--help", "print this page and exit");
  app.require_subcommand(0, 1);  // "compactor help compile": compile is help's argument
  app.set_version_flag("--version", std::string("compactor ") + version(), "print the version and exit");

  ParsedCommand parsed;
  // The built-in run, with no command.
  auto built_in = std::make_shared<Command>();
  built_in->mode = Mode::kBuiltIn;
  add_dir_option(&app, built_in->dir, "the directory of the run (default: the program's own directory)");
  add_json_flag(&app, built_in->json);
  parsed.action = [built_in] { return run_command(*built_in); };

  for (CommandAdder add : kCommands) add(app, parsed.action);

  // compactor help [COMMAND]
  std::string topic;
  CLI::App* help = add_command(
      app, "help",
      {"compactor help [COMMAND]", "Prints the page of a command, or of the program with no COMMAND.",
       "  compactor help\n  compactor help compile"});
  help->add_option("COMMAND", topic, "the command whose page to print")->type_name("");
  help->callback([&app, &topic, &parsed, formatter] {
    const CLI::App* page = &app;
    if (!topic.empty()) {
      page = nullptr;
      for (const CLI::App* sub : app.get_subcommands({})) {
        if (sub->get_name() == topic) page = sub;
      }
      if (page == nullptr) throw CLI::ValidationError("help", "no command \"" + topic + "\"");
    }
    const std::string text = formatter->make_help(page, page->get_name(), CLI::AppFormatMode::Normal);
    parsed.action = [text] {
      std::fputs(text.c_str(), stdout);
      return kExitClean;
    };
  });

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    parsed.action = nullptr;
    const CLI::App* page = chosen_command(app);
    parsed.out = formatter->make_help(page, page->get_name(), CLI::AppFormatMode::Normal);
    parsed.status = kExitClean;
  } catch (const CLI::CallForVersion& e) {
    parsed.action = nullptr;
    parsed.out = std::string(e.what()) + "\n";
    parsed.status = kExitClean;
  } catch (const CLI::ParseError& e) {
    parsed.action = nullptr;
    const CLI::App* command = chosen_command(app);
    parsed.err = std::string("compactor: ") + e.what() + "\n" + formatter->make_usage(command, "");
    parsed.err += command == &app ? "Run 'compactor help' for the commands.\n"
                                  : "Run 'compactor help " + command->get_name() + "' for its page.\n";
    parsed.status = kExitUsage;
  }
  return parsed;
}

}  // namespace compactor
