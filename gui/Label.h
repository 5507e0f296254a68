#pragma once
// A windowless text label: one font and colour, aligned, drawn from the top, never word-wrapped.
#include <string>

#include "gui/Contrast.h"
#include "gui/Dpi.h"
#include "gui/Gdi.h"
#include "gui/GraphicControl.h"
#include "gui/TextRuns.h"

namespace kestrun::gui {

struct LabelStyle {
  std::string text;
  FontStyle font;
  COLORREF textColor = RGB(0, 0, 0);
  Alignment alignment = Alignment::Left;
  bool transparent = false;
  COLORREF color = CLR_INVALID;  // background when opaque; CLR_INVALID: button face
  bool autoSize = true;          // the box follows the text whenever the text or font changes
  bool showAccelChar = true;     // false: "&" is drawn as it is (DT_NOPREFIX)
  ColorPair pair = ColorPair::Window;  // what it draws with in high contrast
};

class Label : public GraphicControl {
 public:
  Label(Bounds bounds, const LabelStyle& style);

  [[nodiscard]] const std::string& Text() const { return style_.text; }
  void SetText(const std::string& text);
  [[nodiscard]] COLORREF TextColor() const { return style_.textColor; }
  // Counts as a font change: an auto-sized label fits its box to the text again.
  void SetTextColor(COLORREF color);
  void SetFont(const FontStyle& font);
  [[nodiscard]] Alignment TextAlignment() const { return style_.alignment; }
  void SetTextAlignment(Alignment alignment);
  [[nodiscard]] bool Transparent() const { return style_.transparent; }
  void SetTransparent(bool transparent);
  [[nodiscard]] bool ShowAccelChar() const { return style_.showAccelChar; }
  void SetShowAccelChar(bool show);
  [[nodiscard]] UINT DrawFlags() const;
  // The font as drawn, at the host's DPI.
  [[nodiscard]] HFONT FontHandle() const { return static_cast<HFONT>(font_.Get()); }

  void Paint(HDC dc) override;
  void DpiChanged() override;
  // The font made again, its box kept: a caption stays centred on its plate.
  void ContrastChanged() override;

 private:
  void AdjustBounds();
  // The box, in design figures, that the text needs at the font's DPI.
  [[nodiscard]] SIZE FittedSize() const;

  LabelStyle style_;
  UniqueGdiObject font_;  // owned
  int fontDpi_ = kDesignDpi;
};

}  // namespace kestrun::gui
