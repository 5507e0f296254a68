#include "gui/Image.h"

#include "gui/Dpi.h"
#include "gui/Gdi.h"

namespace kestrun::gui {

void Image::SetBitmap(UniqueGdiObject bitmap, int paintedDpi) {
  bitmap_ = std::move(bitmap);
  paintedDpi_ = paintedDpi > 0 ? paintedDpi : kDesignDpi;
  Invalidate();
}

void Image::SetTexts(std::vector<TextRun> texts) {
  texts_ = std::move(texts);
  Invalidate();
}

void Image::Paint(HDC dc) {
  if (HighContrast() && (bitmap_ || !texts_.empty())) {
    FillSolid(dc, {0, 0, PixelWidth(), PixelHeight()}, FaceColor());
    DrawTextRuns(dc, texts_, Dpi(), PairText(Pair()));
    return;
  }
  if (!bitmap_) return;
  DrawBitmap(dc);
  DrawTextRuns(dc, texts_, Dpi());
}

void Image::DrawBitmap(HDC dc) const {
  BITMAP info{};
  GetObjectA(bitmap_.Get(), sizeof info, &info);
  UniqueDc source(CreateCompatibleDC(dc));
  SelectObjectGuard select(source.Get(), bitmap_.Get());
  if (paintedDpi_ == Dpi()) {
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
    return;
  }
  SetStretchBltMode(dc, HALFTONE);
  StretchBlt(dc, 0, 0, MulDiv(info.bmWidth, Dpi(), paintedDpi_), MulDiv(info.bmHeight, Dpi(), paintedDpi_),
             source.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}

}  // namespace kestrun::gui
