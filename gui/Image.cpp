#include "gui/Image.h"

#include "gui/Gdi.h"

namespace kestrun::gui {

void Image::SetBitmap(UniqueGdiObject bitmap) {
  bitmap_ = std::move(bitmap);
  Invalidate();
}

void Image::Paint(HDC dc) {
  if (!bitmap_) return;
  BITMAP info{};
  GetObjectA(bitmap_.Get(), sizeof info, &info);
  UniqueDc source(CreateCompatibleDC(dc));
  SelectObjectGuard select(source.Get(), bitmap_.Get());
  BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
}

}  // namespace kestrun::gui
