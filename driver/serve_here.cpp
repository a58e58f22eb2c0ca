// serve in this process: the server is linked in (driver/serve_command.h).
#include "driver/serve_command.h"

namespace compactor {

int run_serve_command(const serve::ServeOptions& options) { return serve::run_serve(options); }

}  // namespace compactor
