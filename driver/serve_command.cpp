// The command serve: the live preview (serve/serve.h). Its options are read
// and checked here as for any command (the same help and usage errors);
// run_serve_command (driver/serve_command.h) then runs it.
#include "driver/serve_command.h"

#include <memory>

#include "driver/cli.h"

namespace compactor {

void add_serve_command(CLI::App& app, Action& action) {
  auto o = std::make_shared<serve::ServeOptions>();
  auto write_dir = std::make_shared<std::string>();
  auto warning_flags = std::make_shared<std::vector<std::string>>();
  CLI::App* c = add_command(
      app, "serve",
      {"compactor serve LINE SERVICE [--port N] [--scenario NAME] [--train NAME] [-W...]\n"
       "                       [--write DIR] [--poll]",
       "Serves a live preview of the two sources at http://127.0.0.1:PORT/ (printed on start).\n"
       "Whenever either file is saved it compiles them again, in memory, prints the\n"
       "diagnostics as compile does and updates every open page within a moment, keeping\n"
       "its zoom, its pan and the item in focus. A source caught mid-save shows its faults\n"
       "beside the last picture that compiled. Only this machine can reach the page.\n"
       "With --write DIR it also writes the compiled files into DIR after every compile\n"
       "that gets that far. Ctrl-C ends it (status 0).",
       "  compactor serve line.txt svc.txt               # then open http://127.0.0.1:8470/\n"
       "  compactor serve line.txt svc.txt --port 0      # any free port\n"
       "  compactor serve line.txt svc.txt --write sim   # the simulator loads sim/"});
  c->add_option("LINE", o->line_source, "the line description")->required()->type_name("");
  c->add_option("SERVICE", o->service_source, "the service description")->required()->type_name("");
  c->add_option("--port", o->port, "the port on 127.0.0.1 (default 8470; 0: a free port)")
      ->type_name("N")
      ->check(CLI::Range(0, 65535).description(""));
  add_name_options(c, o->names);
  add_warning_flags(c, *warning_flags);
  c->add_option("--write", *write_dir,
                "also write the compiled files into DIR after every compile that reaches writing")
      ->type_name("DIR")
      ->check([](const std::string& d) { return d.empty() ? std::string("--write needs a directory") : ""; });
  c->add_flag("--poll", o->polling, "watch the files by polling, for drives that report no changes");
  c->callback([o, write_dir, warning_flags, &action] {
    if (std::optional<std::string> error = apply_warning_flags(*warning_flags, o->warnings)) {
      throw CLI::ValidationError("-W", *error);
    }
    if (!write_dir->empty()) o->write_dir = *write_dir;
    action = [o] { return run_serve_command(*o); };
  });
}

}  // namespace compactor
