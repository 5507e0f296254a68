#include "gui/ImageList.h"

#include "gui/Gdi.h"

namespace kestrun::gui {

ImageList::ImageList(int width, int height)
    : width_(width), height_(height), list_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4)) {}

int ImageList::Count() const { return list_ ? ImageList_GetImageCount(list_.Get()) : 0; }

int ImageList::Add(HBITMAP bitmap, COLORREF maskColor) {
  if (!list_) return -1;
  if (maskColor == CLR_NONE) return ImageList_Add(list_.Get(), bitmap, nullptr);
  return ImageList_AddMasked(list_.Get(), bitmap, maskColor);
}

void ImageList::Draw(HDC dc, int index, int x, int y) const {
  if (index < 0 || index >= Count()) return;
  ImageList_Draw(list_.Get(), index, dc, x, y, ILD_NORMAL);
}

UniqueGdiObject ImageList::CopyImage(int index) const {
  WindowDc screen(nullptr);
  UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), width_, height_));
  UniqueDc dc(CreateCompatibleDC(screen.Get()));
  {
    SelectObjectGuard select(dc.Get(), bitmap.Get());
    FillSolid(dc.Get(), {0, 0, width_, height_}, ButtonFaceColor());
    Draw(dc.Get(), index, 0, 0);
  }
  return bitmap;
}

}  // namespace kestrun::gui
