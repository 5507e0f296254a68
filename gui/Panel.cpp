#include "gui/Panel.h"

#include "gui/Dpi.h"
#include "gui/Gdi.h"

namespace kestrun::gui {

Panel::Panel(Bounds bounds, const PanelStyle& style) : GraphicControl(bounds), style_(style) {
  if (style.color != CLR_INVALID) SetColor(style.color);
  SetPair(style.pair);
}

void Panel::DrawBevel(HDC dc, RECT& rect, Bevel bevel) const {
  if (bevel == Bevel::None) return;
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
  if (bevel == Bevel::Raised)
    Frame3D(dc, rect, light, dark, Scale(style_.bevelWidth, Dpi()));
  else
    Frame3D(dc, rect, dark, light, Scale(style_.bevelWidth, Dpi()));
}

void Panel::Paint(HDC dc) {
  RECT rect{0, 0, PixelWidth(), PixelHeight()};
  DrawBevel(dc, rect, style_.outer);
  DrawBevel(dc, rect, style_.inner);
  FillSolid(dc, rect, FaceColor());
}

}  // namespace kestrun::gui
