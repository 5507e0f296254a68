#pragma once
// The bitmaps of the program's resources (numbers in ui/Resources.h), each painted at 100, 125, 150 and
// 200 %.
#include "base/Handles.h"

namespace kestrun {

struct DpiBitmap {
  UniqueGdiObject bitmap;  // empty when the resource is missing
  int dpi = 96;            // the DPI it was painted for
};

// The PNG resource decoded into a DIB section; empty when the resource is missing or unreadable.
UniqueGdiObject LoadBitmapResource(int id);
// The one painted for the scale nearest dpi; the 100 % one when that scale is missing.
DpiBitmap LoadBitmapForDpi(int id, int dpi);
// The painted scale nearest dpi, as a DPI (96, 120, 144 or 192).
int NearestPaintedDpi(int dpi);

}  // namespace kestrun
