#include "gui/BufferedPaint.h"

namespace kestrun::gui {

RECT BufferedPaint::Client(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client;
}

BufferedPaint::BufferedPaint(HWND window, COLORREF background)
    : paint_(window), client_(Client(window)), surface_(paint_.Get(), client_.right, client_.bottom) {
  FillSolid(surface_.Dc(), client_, background);
}

BufferedPaint::~BufferedPaint() {
  const RECT& dirty = paint_.Dirty();
  BitBlt(paint_.Get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, surface_.Dc(),
         dirty.left, dirty.top, SRCCOPY);
}

}  // namespace kestrun::gui
