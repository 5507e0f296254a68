#pragma once
// A windowless picture: its bitmap drawn from the top-left corner, clipped to the control, and its texts
// over it, each scaled to the host's DPI: the bitmap carries no words, so it serves every language. A
// bitmap painted for the host's DPI is drawn pixel for pixel; one painted for another DPI is scaled to
// fit. In high contrast no bitmap is drawn: only the texts, in the system's colours.
#include <vector>

#include "gui/GraphicControl.h"
#include "gui/TextRuns.h"
#include "base/Handles.h"

namespace kestrun::gui {

class Image : public GraphicControl {
 public:
  explicit Image(Bounds bounds) : GraphicControl(bounds) {}
  // Takes ownership; empty: no picture. paintedDpi: the DPI the bitmap was painted for.
  void SetBitmap(UniqueGdiObject bitmap, int paintedDpi = 96);
  [[nodiscard]] HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.Get()); }
  // The texts the picture shows, in design figures relative to it.
  void SetTexts(std::vector<TextRun> texts);
  void Paint(HDC dc) override;

 private:
  void DrawBitmap(HDC dc) const;

  UniqueGdiObject bitmap_;  // owned
  int paintedDpi_ = 96;
  std::vector<TextRun> texts_;
};

}  // namespace kestrun::gui
