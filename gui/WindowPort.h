#pragma once
// The port through which a form's ControlHost reaches the form's window: capture, leave tracking,
// repainting and the pointer, each doing nothing while there is no window.
#include <windows.h>

#include <optional>

#include "gui/ControlHost.h"

namespace kestrun::gui {

class WindowPort : public HostPort {
 public:
  // window: the form's handle, read at each call (null before it is made and after it is gone).
  explicit WindowPort(const HWND& window) : window_(window) {}

  void SetCapture() override;
  void ReleaseCapture() override;
  [[nodiscard]] bool CaptureHeld() const override;
  void TrackMouseLeave() override;
  void InvalidateRect(const RECT& rect) override;
  [[nodiscard]] std::optional<POINT> CursorPos() const override;
  [[nodiscard]] bool Showing() const override;

 private:
  const HWND& window_;  // not owned
};

}  // namespace kestrun::gui
