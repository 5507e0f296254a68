#include "ui/Bitmaps.h"

#include <cstdlib>

#include "ui/Resources.h"

namespace kestrun {

namespace {

constexpr int kPaintedDpis[] = {96, 120, 144, 192};

}  // namespace

UniqueGdiObject LoadBitmapResource(int id) {
  return UniqueGdiObject(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// Halfway between two scales the larger wins: shrinking a picture loses less than enlarging it.
int NearestPaintedDpi(int dpi) {
  int nearest = kPaintedDpis[0];
  for (int painted : kPaintedDpis)
    if (std::abs(painted - dpi) <= std::abs(nearest - dpi)) nearest = painted;
  return nearest;
}

DpiBitmap LoadBitmapForDpi(int id, int dpi) {
  const int painted = NearestPaintedDpi(dpi);
  int step = 0;
  while (kPaintedDpis[step] != painted) ++step;
  if (step > 0) {
    UniqueGdiObject scaled = LoadBitmapResource(id + step * IDB_SCALE_STEP);
    if (scaled) return {std::move(scaled), painted};
  }
  return {LoadBitmapResource(id), 96};
}

}  // namespace kestrun
