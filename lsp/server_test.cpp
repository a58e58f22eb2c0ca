#include "lsp/server.h"

#include <gtest/gtest.h>

namespace compactor::lsp {
namespace {
}  // namespace
}  // namespace compactor::lsp
