// The platform layer of the windowed program: the window Form1 with its one
// label "Attendere", shown and painted once before the work starts; fatal
// messages and the failures that stop a run in modal message boxes. The rest is in platform_win32.cpp.
//
// Form1 has a client area of 4200 by 2688 twips; Label1 sits at 960, 960
// twips, 2652 by 792 twips, in MS Sans Serif 24 point bold. Twips become
// pixels at the screen's logical resolution (1440 twips to the inch: 15 twips
// a pixel at 96 dots per inch). The run works on the window's own thread
// without handling its messages, so the window is painted once and takes no
// input.
#include <windows.h>

#include "driver/platform.h"
#include "driver/platform_win32.h"

namespace compactor::platform {
namespace {

constexpr int kFormWidth = 4200;
constexpr int kFormHeight = 2688;
constexpr int kLabelLeft = 960;
constexpr int kLabelTop = 960;
constexpr int kLabelWidth = 2652;
constexpr int kLabelHeight = 792;
constexpr int kLabelPoints = 24;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr wchar_t kFormClass[] = L"Form1";

HWND form = nullptr;
HFONT label_font = nullptr;

struct Resolution {
  int x;
  int y;
};

Resolution screen_resolution() {
  HDC screen = GetDC(nullptr);
  const Resolution r{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  return r;
}

int pixels(int twips, int dots_per_inch) { return MulDiv(twips, dots_per_inch, 1440); }

bool register_form_class(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT create_label_font(int dots_per_inch) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(kLabelPoints, dots_per_inch, 72);
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

}  // namespace

void prepare(int, char**) {}

void show_waiting(const std::string& title) {
  if (form != nullptr) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!register_form_class(instance)) return;
  const Resolution dpi = screen_resolution();

  RECT frame{0, 0, pixels(kFormWidth, dpi.x), pixels(kFormHeight, dpi.y)};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
  form = CreateWindowExW(0, kFormClass, win32::widen(title).c_str(), kFormStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                         nullptr, nullptr, instance, nullptr);
  if (form == nullptr) return;

  HWND label = CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT,
                               pixels(kLabelLeft, dpi.x), pixels(kLabelTop, dpi.y),
                               pixels(kLabelWidth, dpi.x), pixels(kLabelHeight, dpi.y), form,
                               nullptr, instance, nullptr);
  label_font = create_label_font(dpi.y);
  if (label != nullptr && label_font != nullptr) {
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(label_font), FALSE);
  }

  ShowWindow(form, SW_SHOWNORMAL);
  RedrawWindow(form, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
}

void hide_waiting() {
  if (form != nullptr) DestroyWindow(form);
  form = nullptr;
  if (label_font != nullptr) DeleteObject(label_font);
  label_font = nullptr;
}

void show_fatal(const std::string& title, const std::string& message) {
  hide_waiting();
  MessageBoxW(nullptr, win32::widen(message).c_str(), win32::widen(title).c_str(),
              MB_OK | MB_SETFOREGROUND);
}

void show_failure(const std::string& title, const std::string& message) {
  hide_waiting();
  MessageBoxW(nullptr, win32::widen(message).c_str(), win32::widen(title).c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace compactor::platform
