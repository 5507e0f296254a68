#include "ui/Bitmaps.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Inflate.h"
#include "ui/Resources.h"

namespace kestrun {

namespace {

constexpr int kPaintedDpis[] = {96, 120, 144, 192};

// The resource's bytes, which live as long as the module; empty when it is missing.
std::string_view ResourceBytes(int id) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  if (!data) return {};
  return {static_cast<const char*>(LockResource(data)), SizeofResource(module, info)};
}

std::uint32_t BigEndian(const char* at) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(at);
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

struct PngImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> packed;  // the deflated rows, each led by its filter byte
};

// The header and the pixels' chunks of an 8-bit RGB PNG without interlace and at most 4,096 pixels a
// side, the one kind the pictures are made as; false for anything else.
bool ReadChunks(std::string_view png, PngImage& image) {
  constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
  constexpr std::string_view kHeader = "IHDR", kPixels = "IDAT", kEnd = "IEND";  // untranslated: chunk types
  if (png.substr(0, 8) != kSignature) return false;
  for (std::size_t at = 8; png.size() - at >= 12;) {
    const std::uint32_t length = BigEndian(&png[at]);
    const std::string_view type = png.substr(at + 4, 4);
    if (length > png.size() - at - 12) return false;
    const char* data = &png[at + 8];
    if (type == kHeader) {
      if (length != 13 || at != 8 || std::memcmp(data + 8, "\x08\x02\x00\x00\x00", 5) != 0) return false;
      image.width = BigEndian(data);
      image.height = BigEndian(data + 4);
    } else if (type == kPixels) {
      image.packed.insert(image.packed.end(), data, data + length);
    } else if (type == kEnd) {
      return image.width > 0 && image.height > 0 && image.width <= 4096 && image.height <= 4096;
    }
    at += 12 + length;
  }
  return false;
}

std::uint8_t Paeth(int left, int up, int upLeft) {
  const int guess = left + up - upLeft;
  const int toLeft = std::abs(guess - left), toUp = std::abs(guess - up), toUpLeft = std::abs(guess - upLeft);
  return static_cast<std::uint8_t>(toLeft <= toUp && toLeft <= toUpLeft ? left : toUp <= toUpLeft ? up : upLeft);
}

// Undoes each row's filter in place; false for an unknown filter.
bool Unfilter(std::vector<std::uint8_t>& rows, std::size_t rowBytes, std::uint32_t height) {
  const std::vector<std::uint8_t> none(rowBytes, 0);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = &rows[y * (rowBytes + 1)];
    const std::uint8_t* up = y > 0 ? row - rowBytes : none.data();
    const std::uint8_t filter = row[0];
    if (filter > 4) return false;
    ++row;
    for (std::size_t x = 0; x < rowBytes; ++x) {
      const int left = x >= 3 ? row[x - 3] : 0, upLeft = x >= 3 ? up[x - 3] : 0;
      switch (filter) {
        case 1: row[x] = static_cast<std::uint8_t>(row[x] + left); break;
        case 2: row[x] = static_cast<std::uint8_t>(row[x] + up[x]); break;
        case 3: row[x] = static_cast<std::uint8_t>(row[x] + (left + up[x]) / 2); break;
        case 4: row[x] = static_cast<std::uint8_t>(row[x] + Paeth(left, up[x], upLeft)); break;
        default: break;  // none
      }
    }
  }
  return true;
}

// A 24-bit bottom-up DIB section, as LoadImage makes of a 24-bit BMP, holding the rows' pixels.
UniqueGdiObject DibFromRows(const std::vector<std::uint8_t>& rows, std::uint32_t width, std::uint32_t height) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(width), static_cast<LONG>(height), 1, 24, BI_RGB,
                    0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return {};
  const std::size_t stride = (width * 3 + 3) & ~std::size_t{3}, rowBytes = width * 3;
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* from = &rows[y * (rowBytes + 1) + 1];
    auto* to = static_cast<std::uint8_t*>(bits) + (height - 1 - y) * stride;
    for (std::size_t x = 0; x < rowBytes; x += 3) {  // RGB to the DIB's BGR
      to[x] = from[x + 2];
      to[x + 1] = from[x + 1];
      to[x + 2] = from[x];
    }
  }
  return dib;
}

}  // namespace

// The pictures are kept as PNG (the BMPs they are made from would be ten times larger), read here:
// the system's imaging component took longer under Wine to start than all the pictures to decode.
UniqueGdiObject DecodePng(std::string_view png) {
  PngImage image;
  if (!ReadChunks(png, image)) return {};
  const std::size_t rowBytes = std::size_t{image.width} * 3, size = (rowBytes + 1) * image.height;
  std::optional<std::vector<std::uint8_t>> rows = Inflate(image.packed.data(), image.packed.size(), size);
  if (!rows || rows->size() != size || !Unfilter(*rows, rowBytes, image.height)) return {};
  return DibFromRows(*rows, image.width, image.height);
}

UniqueGdiObject LoadBitmapResource(int id) { return DecodePng(ResourceBytes(id)); }

// Halfway between two scales the larger wins: shrinking a picture loses less than enlarging it.
int NearestPaintedDpi(int dpi) {
  int nearest = kPaintedDpis[0];
  for (int painted : kPaintedDpis)
    if (std::abs(painted - dpi) <= std::abs(nearest - dpi)) nearest = painted;
  return nearest;
}

namespace {

StartPictures* ahead = nullptr;  // the one alive

DpiBitmap Decode(int id, int dpi) {
  const int painted = NearestPaintedDpi(dpi);
  int step = 0;
  while (kPaintedDpis[step] != painted) ++step;
  if (step > 0) {
    UniqueGdiObject scaled = LoadBitmapResource(id + step * IDB_SCALE_STEP);
    if (scaled) return {std::move(scaled), painted};
  }
  return {LoadBitmapResource(id), 96};
}

}  // namespace

DpiBitmap LoadBitmapForDpi(int id, int dpi) {
  if (ahead)
    if (std::optional<DpiBitmap> decoded = ahead->Take(id, dpi)) return std::move(*decoded);
  return Decode(id, dpi);
}

StartPictures::StartPictures(int dpi) {
  for (int id : {IDB_TITLE, IDB_LOGO, IDB_BANNER0, IDB_BANNER1, IDB_BANNER2, IDB_BANNER3, IDB_ABOUT})
    pictures_.push_back({id, NearestPaintedDpi(dpi), {}});
  decoder_ = std::thread([this] {
    for (Picture& picture : pictures_) picture.bitmap = Decode(picture.id, picture.painted);
  });
  ahead = this;
}

StartPictures::~StartPictures() {
  if (ahead == this) ahead = nullptr;
  if (decoder_.joinable()) decoder_.join();
}

// The first picture asked for waits for all: the windows ask for them in the order they are decoded.
std::optional<DpiBitmap> StartPictures::Take(int id, int dpi) {
  if (decoder_.joinable()) decoder_.join();
  for (Picture& picture : pictures_) {
    if (picture.taken || picture.id != id || picture.painted != NearestPaintedDpi(dpi)) continue;
    picture.taken = true;
    return std::move(picture.bitmap);
  }
  return std::nullopt;
}

}  // namespace kestrun
