#pragma once
// A window-less stand-in for a form: records what the host asks of the window.
#include <optional>

#include "gui/ControlHost.h"

namespace kestrun::test {

class FakePort : public gui::HostPort {
 public:
  void SetCapture() override { captured = true; }
  void ReleaseCapture() override { captured = false; }
  [[nodiscard]] bool CaptureHeld() const override { return captured || otherWindowCaptures; }
  void TrackMouseLeave() override {}
  void InvalidateRect(const RECT&) override { ++invalidations; }
  [[nodiscard]] std::optional<POINT> CursorPos() const override { return cursor; }
  [[nodiscard]] bool Showing() const override { return showing; }

  bool captured = false;
  bool otherWindowCaptures = false;
  bool showing = true;
  int invalidations = 0;
  std::optional<POINT> cursor;
};

}  // namespace kestrun::test
