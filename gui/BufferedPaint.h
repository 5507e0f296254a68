#pragma once
// One WM_PAINT drawn off-screen and copied to the window once: no half-drawn frame is ever seen, and
// WM_ERASEBKGND has nothing left to do.
#include <windows.h>

#include "gui/Gdi.h"

namespace kestrun::gui {

class BufferedPaint {
 public:
  // The surface starts filled with background over the whole client area.
  BufferedPaint(HWND window, COLORREF background);
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  // Copies the part asked for to the window, before the paint ends.
  ~BufferedPaint();

  [[nodiscard]] HDC Dc() const { return surface_.Dc(); }
  [[nodiscard]] const RECT& Dirty() const { return paint_.Dirty(); }

 private:
  [[nodiscard]] static RECT Client(HWND window);

  PaintDc paint_;
  RECT client_;
  MemorySurface surface_;
};

}  // namespace kestrun::gui
