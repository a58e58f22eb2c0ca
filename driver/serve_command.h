// How a program runs the serve command once its command line is read.
//
// Where the HTTP library is a shared one (Debian's), loading it and what it
// brings (TLS, compression, the shared C++ runtime) would cost every run of
// compactor several milliseconds. So there the server is linked into a
// program of its own, compactor-serve, installed with compactor:
// serve_here.cpp runs the server in this process (compactor-serve, the
// Windows programs, the unit tests); serve_hand_over.cpp hands the process
// over to compactor-serve with the same arguments (compactor on Linux).
// Each program links one of the two.
#pragma once

#include "serve/serve.h"

namespace compactor {

// The exit status of the command.
int run_serve_command(const serve::ServeOptions& options);

}  // namespace compactor
