// The language server at the edge: messages framed on a byte stream (standard
// input and output), and the files of the disk. Depends on lsp/server.
#pragma once

#include <iosfwd>

namespace compactor::lsp {

// Serves until "exit" or the end of the input. Returns the exit status: 0
// after shutdown and exit, 1 otherwise.
int serve(std::istream& in, std::ostream& out);

// serve() on standard input and output, switched to binary.
int serve_stdio();

}  // namespace compactor::lsp
