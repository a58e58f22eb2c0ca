// What the two Win32 layers share: text in the ANSI code page, the code page
// of every name and text the program handles, widened for the wide-character
// calls of the window layer.
#pragma once

#include <string>

namespace compactor::platform::win32 {

// ANSI code page text to UTF-16.
std::wstring widen(const std::string& text);

}  // namespace compactor::platform::win32
