// compactor serve LINE SERVICE [--port N] [--scenario NAME] [--train NAME]
//                              [--write DIR] [--poll]
#include <CLI/CLI.hpp>

#include <cstdio>

#include "driver/command_line.h"
#include "driver/run.h"
#include "serve/serve.h"

namespace compactor {

int serve_main(const std::vector<std::string>& args) {
  CLI::App app{"The live preview: serves the page of the two sources on the loopback and "
               "updates it whenever either file is saved.",
               "compactor serve"};
  serve::ServeOptions o;
  std::string write_dir;
  app.add_option("LINE", o.line_source, "the line description")->required();
  app.add_option("SERVICE", o.service_source, "the service description")->required();
  app.add_option("--port", o.port, "the port on 127.0.0.1 (0: a free port)")
      ->check(CLI::Range(0, 65535));
  const auto name_check = CLI::Validator(
      [](std::string& name) {
        return is_valid_name(name) ? std::string() : "\"" + name + "\" cannot name a file";
      },
      "NAME");
  app.add_option("--scenario", o.names.scenario, "the scenario name")->check(name_check);
  app.add_option("--train", o.names.train, "the train name")->check(name_check);
  app.add_option("--write", write_dir,
                 "also write the compiled files into DIR after every compile that reaches it");
  app.add_flag("--poll", o.polling, "watch the files by polling (for network drives)");
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp& e) {
    std::fputs(app.help().c_str(), stdout);
    return kExitClean;
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "compactor serve: %s\n", e.what());
    return kExitUsage;
  }
  if (!write_dir.empty()) o.write_dir = write_dir;
  return serve::run_serve(o);
}

}  // namespace compactor
