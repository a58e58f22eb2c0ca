// The commands lsp (the language server on standard input and output) and
// fmt (the formatter over files).
#include <cstdio>
#include <memory>

#include "driver/cli.h"
#include "driver/files.h"
#include "driver/run.h"
#include "format/format.h"
#include "lsp/stdio.h"

namespace compactor {

void add_lsp_command(CLI::App& app, Action& action) {
  CLI::App* c = add_command(
      app, "lsp",
      {"compactor lsp",
       "Runs the language server for the two source formats on standard input and output.\n"
       "An editor starts it: faults appear as the sources are typed, hover shows what a row\n"
       "placed in the compiled model, inlay hints show the kilometre of every position,\n"
       "and formatting lays rows out as fmt does. A service description compiles with the\n"
       "one line description in its folder (the open one, else the file on disk). Nothing\n"
       "is written to disk.",
       "  compactor lsp     # started by an editor, see editors/"});
  c->callback([&action] { action = [] { return lsp::serve_stdio(); }; });
}

namespace {

struct FmtCommand {
  std::vector<std::string> files;
  bool check = false;
};

int run_fmt(const FmtCommand& cmd) {
  int status = kExitClean;
  for (const std::string& file : cmd.files) {
    try {
      const std::string text = read_file(file);
      const std::string formatted = format::format_source(text);
      if (formatted == text) continue;
      if (cmd.check) {
        std::printf("%s: would be formatted\n", file.c_str());
        if (status == kExitClean) status = kExitFaults;
        continue;
      }
      replace_file(file, [&](ByteSink& out) { out.write(formatted.data(), formatted.size()); });
      std::printf("%s: formatted\n", file.c_str());
    } catch (const FileError& e) {
      std::fprintf(stderr, "compactor: %s\n", e.what());
      status = kExitStopped;
    }
  }
  std::fflush(stdout);
  return status;
}

}  // namespace

void add_fmt_command(CLI::App& app, Action& action) {
  auto cmd = std::make_shared<FmtCommand>();
  CLI::App* c = add_command(
      app, "fmt",
      {"compactor fmt FILE... [--check]",
       "Lays out every row of the sources in the columns of the built-in sources.\n"
       "Rows of an unknown shape (comment fields, other spellings, missing or extra values,\n"
       "rows that go on over the line end) stay as they are, and so do the line ends; the\n"
       "formatted sources compile to the same bytes. Each file is replaced atomically.\n"
       "With --check nothing is written: the files that would change are listed and the\n"
       "exit status is 1. A file that cannot be read or written gives status 2.",
       "  compactor fmt line.txt svc.txt\n"
       "  compactor fmt --check *.txt     # in CI: status 1 when a file is not formatted"});
  c->add_option("FILE", cmd->files, "the sources to format")->required()->type_name("");
  c->add_flag("--check", cmd->check, "change nothing; exit 1 when a file would change");
  c->callback([cmd, &action] { action = [cmd] { return run_fmt(*cmd); }; });
}

}  // namespace compactor
