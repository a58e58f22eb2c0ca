// The program's version, from the project's CMake version
// (project(compactor VERSION ...)).
#pragma once

namespace compactor {

const char* version();

}  // namespace compactor
