#pragma once
// A windowless picture: its bitmap drawn unscaled from the top-left corner, clipped to the control.
#include "gui/GraphicControl.h"
#include "base/Handles.h"

namespace kestrun::gui {

class Image : public GraphicControl {
 public:
  explicit Image(Bounds bounds) : GraphicControl(bounds) {}
  void SetBitmap(UniqueGdiObject bitmap);  // takes ownership; empty: no picture
  [[nodiscard]] HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.Get()); }
  void Paint(HDC dc) override;

 private:
  UniqueGdiObject bitmap_;  // owned
};

}  // namespace kestrun::gui
