#include "ui/Bitmaps.h"

namespace kestrun {

UniqueGdiObject LoadBitmapResource(int id) {
  return UniqueGdiObject(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace kestrun
