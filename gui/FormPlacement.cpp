#include "gui/FormPlacement.h"

#include <algorithm>

#include "gui/Dpi.h"

namespace kestrun::gui {

namespace {

RECT ScreenArea() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace

SIZE FormPlacement::Size(int dpi) const { return {Scale(designWidth_, dpi), Scale(designHeight_, dpi)}; }

POINT FormPlacement::FirstPosition(POINT designPosition, int dpi) const {
  POINT at{Scale(designPosition.x, dpi), Scale(designPosition.y, dpi)};
  if (dpi == kDesignDpi) return at;
  RECT area = ScreenArea();
  MONITORINFO info{sizeof info, {}, {}, 0};
  if (GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info)) area = info.rcWork;
  const SIZE size = Size(dpi);
  at.x = std::max<int>(area.left, std::min<int>(at.x, area.right - size.cx));
  at.y = std::max<int>(area.top, std::min<int>(at.y, area.bottom - size.cy));
  return at;
}

void FormPlacement::Resize(HWND window, int dpi, const RECT* suggested) const {
  const SIZE size = Size(dpi);
  if (suggested)
    SetWindowPos(window, nullptr, suggested->left, suggested->top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  else
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormPlacement::SetDesignHeight(HWND window, int height, int dpi) {
  designHeight_ = height;
  Resize(window, dpi);
}

void FormPlacement::PlaceForShow(HWND window, HWND owner) const {
  if (placement_ != Placement::OwnerCentre) return;
  RECT self;
  GetWindowRect(window, &self);
  const int width = self.right - self.left, height = self.bottom - self.top;
  RECT area = ScreenArea();
  if (owner) GetWindowRect(owner, &area);
  const int x = std::max<int>(0, area.left + (area.right - area.left - width) / 2);
  const int y = std::max<int>(0, area.top + (area.bottom - area.top - height) / 2);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kestrun::gui
