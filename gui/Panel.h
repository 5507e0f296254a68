#pragma once
// A windowless panel: a colour fill inside optional raised or lowered bevels; other controls sit on it.
#include "gui/GraphicControl.h"

namespace kestrun::gui {

enum class Bevel { None, Lowered, Raised };

struct PanelStyle {
  COLORREF color = CLR_INVALID;  // CLR_INVALID: the system button-face colour
  Bevel outer = Bevel::Raised;
  Bevel inner = Bevel::None;
  int bevelWidth = 1;
  ColorPair pair = ColorPair::Window;  // what it fills with in high contrast
};

class Panel : public GraphicControl {
 public:
  Panel(Bounds bounds, const PanelStyle& style);
  void Paint(HDC dc) override;
  [[nodiscard]] const PanelStyle& Style() const { return style_; }

 private:
  void DrawBevel(HDC dc, RECT& rect, Bevel bevel) const;
  PanelStyle style_;
};

}  // namespace kestrun::gui
