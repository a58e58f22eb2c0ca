#include "driver/version.h"

#ifndef COMPACTOR_VERSION
#error "COMPACTOR_VERSION comes from the project's CMake version"
#endif

namespace compactor {

const char* version() { return COMPACTOR_VERSION; }

}  // namespace compactor
