// The parts of the platform layer common to the Windows console and windowed
// programs: files joined with '\', and the program's directory from the
// executable's own path, in the ANSI code page that the C run-time library
// and std::filesystem take narrow file names in.
#include <windows.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "driver/platform.h"
#include "driver/platform_win32.h"

namespace compactor::platform {

namespace win32 {

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
  return wide;
}

namespace {

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), size, ansi.data(), n, nullptr, nullptr);
  return ansi;
}

// The full path of the running executable; paths longer than MAX_PATH too.
std::wstring executable_path() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace
}  // namespace win32

char separator() { return '\\'; }

std::string join(const std::string& dir, const std::string& name) {
  return dir + separator() + name;
}

std::string move_over(const std::string& from, const std::string& to) {
  // MoveFileEx with MOVEFILE_REPLACE_EXISTING underneath.
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  return ec ? ec.message() : "";
}

std::string program_directory() {
  const std::wstring exe = win32::executable_path();
  const size_t cut = exe.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return ".";
  return win32::narrow(exe.substr(0, cut));
}

std::string open_in_desktop(const std::string& path) {
  const std::wstring wide = win32::widen(path);
  const HINSTANCE h = ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(h) <= 32) {
    return "ShellExecute failed with " + std::to_string(reinterpret_cast<INT_PTR>(h));
  }
  return "";
}

}  // namespace compactor::platform
