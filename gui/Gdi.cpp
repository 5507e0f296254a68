#include "gui/Gdi.h"

#include "gui/Dpi.h"

namespace kestrun::gui {

MemorySurface::MemorySurface(HDC like, int width, int height)
    : dc_(CreateCompatibleDC(like)),
      bitmap_(CreateCompatibleBitmap(like, width > 0 ? width : 1, height > 0 ? height : 1)) {
  oldBitmap_ = SelectObject(dc_.Get(), bitmap_.Get());
}

MemorySurface::~MemorySurface() {
  // The bitmap cannot be deleted while selected.
  if (dc_) SelectObject(dc_.Get(), oldBitmap_);
}

UniqueGdiObject CreateFontObject(const FontStyle& layout, int dpi, bool crisp) {
  return UniqueGdiObject(CreateFontA(-Scale(layout.height, dpi), 0, 0, 0, layout.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                     layout.underline, FALSE, layout.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     crisp ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                     layout.name.c_str()));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  UniqueGdiObject brush(CreateSolidBrush(color));
  FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

void Frame3D(HDC dc, RECT& rect, COLORREF top, COLORREF bottom, int width) {
  for (int i = 0; i < width && rect.right > rect.left && rect.bottom > rect.top; ++i) {
    FillSolid(dc, {rect.left, rect.top, rect.right, rect.top + 1}, top);
    FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, top);
    FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottom);
    FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottom);
    InflateRect(&rect, -1, -1);
  }
}

}  // namespace kestrun::gui
