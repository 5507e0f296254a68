#include "gui/Dpi.h"

#include "gui/Gdi.h"

namespace kestrun::gui {

namespace {

template <typename Function>
Function UserFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

int ScreenDpi() {
  WindowDc screen(nullptr);
  int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int Unscale(int pixels, int dpi, int slack) {
  if (dpi == kDesignDpi || pixels <= 0) return pixels;
  const int wanted = pixels + slack;
  int design = MulDiv(wanted, kDesignDpi, dpi);
  while (Scale(design, dpi) < wanted) ++design;
  while (design > 0 && Scale(design - 1, dpi) >= wanted) --design;
  return design;
}

RECT ScaleRect(int left, int top, int width, int height, int dpi) {
  return {Scale(left, dpi), Scale(top, dpi), Scale(left + width, dpi), Scale(top + height, dpi)};
}

int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && hwnd) {
    const UINT dpi = getDpiForWindow(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int SystemDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto getDpiForSystem = UserFunction<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem) {
    const UINT dpi = getDpiForSystem();
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

}  // namespace kestrun::gui
