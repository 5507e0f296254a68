#pragma once
// The bitmaps of the program's resources (numbers in ui/Resources.h), each painted at 100, 125, 150 and
// 200 %.
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "base/Handles.h"

namespace kestrun {

struct DpiBitmap {
  UniqueGdiObject bitmap;  // empty when the resource is missing
  int dpi = 96;            // the DPI it was painted for
};

// An 8-bit RGB PNG without interlace, at most 4,096 pixels a side, decoded into a 24-bit DIB section;
// empty for any other.
UniqueGdiObject DecodePng(std::string_view png);
// The PNG resource decoded; empty when the resource is missing or unreadable.
UniqueGdiObject LoadBitmapResource(int id);
// The one painted for the scale nearest dpi; the 100 % one when that scale is missing.
DpiBitmap LoadBitmapForDpi(int id, int dpi);
// The painted scale nearest dpi, as a DPI (96, 120, 144 or 192).
int NearestPaintedDpi(int dpi);

// The pictures of the four windows made at start, decoded on a thread of their own while the windows
// are made. The main window starts it once its own window exists: beside the making of a process's
// first window, other work slowed that by more than it gained. While it lives, LoadBitmapForDpi (on
// the thread that made it) takes each of them once instead of decoding.
class StartPictures {
 public:
  explicit StartPictures(int dpi);
  StartPictures(const StartPictures&) = delete;
  StartPictures& operator=(const StartPictures&) = delete;
  ~StartPictures();

 private:
  friend DpiBitmap LoadBitmapForDpi(int id, int dpi);
  std::optional<DpiBitmap> Take(int id, int dpi);

  struct Picture {
    int id;
    int painted;  // NearestPaintedDpi of the DPI it was asked for
    DpiBitmap bitmap;
    bool taken = false;
  };
  std::vector<Picture> pictures_;
  std::thread decoder_;
};

}  // namespace kestrun
