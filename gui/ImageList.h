#pragma once
// An owned list of equally sized images (Win32 image list with a mask).
#include <windows.h>
#include <commctrl.h>

#include "base/Handles.h"

namespace kestrun::gui {

struct ImageListTraits {
  static HIMAGELIST Invalid() { return nullptr; }
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueHandle<ImageListTraits>;

class ImageList {
 public:
  ImageList(int width, int height);
  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  [[nodiscard]] int Count() const;
  [[nodiscard]] HIMAGELIST Handle() const { return list_.Get(); }
  // Adds a copy of the bitmap; pixels of maskColor become transparent. Returns the index or -1.
  int Add(HBITMAP bitmap, COLORREF maskColor = CLR_NONE);
  // Draws unscaled in the list's own style; an index the list does not hold draws nothing.
  void Draw(HDC dc, int index, int x, int y) const;
  // A new bitmap of the list's image size holding image index drawn at (0, 0).
  [[nodiscard]] UniqueGdiObject CopyImage(int index) const;

 private:
  int width_;
  int height_;
  UniqueImageList list_;
};

}  // namespace kestrun::gui
