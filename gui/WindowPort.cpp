#include "gui/WindowPort.h"

namespace kestrun::gui {

void WindowPort::SetCapture() {
  if (window_) ::SetCapture(window_);
}

void WindowPort::ReleaseCapture() {
  if (window_ && GetCapture() == window_) ::ReleaseCapture();
}

bool WindowPort::CaptureHeld() const { return GetCapture() != nullptr; }

void WindowPort::TrackMouseLeave() {
  if (!window_) return;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
  TrackMouseEvent(&track);
}

// A null window would mean every window of the desktop.
void WindowPort::InvalidateRect(const RECT& rect) {
  if (window_) ::InvalidateRect(window_, &rect, FALSE);
}

std::optional<POINT> WindowPort::CursorPos() const {
  POINT point;
  if (!window_ || !GetCursorPos(&point) || WindowFromPoint(point) != window_) return std::nullopt;
  ScreenToClient(window_, &point);
  return point;
}

bool WindowPort::Showing() const { return window_ && IsWindowVisible(window_); }

}  // namespace kestrun::gui
