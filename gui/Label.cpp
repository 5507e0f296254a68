#include "gui/Label.h"

#include <algorithm>

#include "base/Text.h"

namespace kestrun::gui {

Label::Label(Bounds bounds, const LabelStyle& style)
    : GraphicControl(bounds), style_(style), font_(CreateFontObject(style.font)) {
  if (style.color != CLR_INVALID) SetColor(style.color);
  SetPair(style.pair);
  AdjustBounds();
}

UINT Label::DrawFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (style_.alignment == Alignment::Center) flags |= DT_CENTER;
  if (style_.alignment == Alignment::Right) flags |= DT_RIGHT;
  if (!style_.showAccelChar) flags |= DT_NOPREFIX;
  return flags;
}

void Label::SetText(const std::string& text) {
  if (text == style_.text) return;
  style_.text = text;
  AdjustBounds();
  Invalidate();
}

void Label::SetTextColor(COLORREF color) {
  style_.textColor = color;
  AdjustBounds();
  Invalidate();
}

void Label::SetFont(const FontStyle& font) {
  style_.font = font;
  fontDpi_ = Dpi();
  font_ = CreateFontObject(font, fontDpi_, HighContrast());
  AdjustBounds();
  Invalidate();
}

void Label::SetTextAlignment(Alignment alignment) {
  if (alignment == style_.alignment) return;
  style_.alignment = alignment;
  Invalidate();
}

void Label::SetTransparent(bool transparent) {
  if (transparent == style_.transparent) return;
  style_.transparent = transparent;
  Invalidate();
}

void Label::SetShowAccelChar(bool show) {
  if (show == style_.showAccelChar) return;
  style_.showAccelChar = show;
  AdjustBounds();
  Invalidate();
}

void Label::ContrastChanged() {
  font_ = CreateFontObject(style_.font, fontDpi_, HighContrast());
  Invalidate();
}

// A box set wider or higher than the text (a caption centred on its plate) is kept at a new DPI,
// growing only where the text no longer fits; a box that just fits its text fits it again.
void Label::DpiChanged() {
  if (Dpi() == fontDpi_) return;
  const Bounds before = DesignBounds();
  const SIZE fitted = FittedSize();
  SetFont(style_.font);
  if (!style_.autoSize || style_.alignment == Alignment::Right) return;
  const int width = before.width > fitted.cx ? std::max(Width(), before.width) : Width();
  const int height = before.height > fitted.cy ? std::max(Height(), before.height) : Height();
  SetBounds({Left(), Top(), width, height});
}

// Measures as DrawText will draw; an empty text measures as one space, so the box keeps a line.
SIZE Label::FittedSize() const {
  WindowDc screen(nullptr);
  SelectObjectGuard font(screen.Get(), font_.Get());
  const std::wstring text = style_.text.empty() ? std::wstring(L" ") : ToWide(style_.text);
  RECT rect{0, 0, PixelWidth(), 0};
  DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &rect, DrawFlags() | DT_CALCRECT);
  return {Unscale(rect.right, fontDpi_, 1), Unscale(rect.bottom, fontDpi_, 1)};
}

void Label::AdjustBounds() {
  if (!style_.autoSize) return;
  const SIZE fitted = FittedSize();
  int left = Left();
  if (style_.alignment == Alignment::Right) left += Width() - fitted.cx;
  SetBounds({left, Top(), fitted.cx, fitted.cy});
}

void Label::Paint(HDC dc) {
  RECT rect{0, 0, PixelWidth(), PixelHeight()};
  if (!style_.transparent) FillSolid(dc, rect, FaceColor());
  SelectObjectGuard font(dc, font_.Get());
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, HighContrast() ? PairText(Pair()) : style_.textColor);
  const std::wstring text = ToWide(style_.text);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DrawFlags());
}

}  // namespace kestrun::gui
