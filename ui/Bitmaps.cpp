#include "ui/Bitmaps.h"

#include <wincodec.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/ThreadScope.h"
#include "ui/Resources.h"

namespace kestrun {

namespace {

constexpr int kPaintedDpis[] = {96, 120, 144, 192};
// CLSID_WICImagingFactory1: the factory every Windows since 7 (and Wine) has.
constexpr CLSID kWicFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};

template <typename T>
T** Out(ComPtr<T>& pointer) {
  return reinterpret_cast<T**>(pointer.PutVoid());
}

// The resource's bytes, which live as long as the module; empty when it is missing.
std::pair<const BYTE*, DWORD> ResourceBytes(int id) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  if (!data) return {nullptr, 0};
  return {static_cast<const BYTE*>(LockResource(data)), SizeofResource(module, info)};
}

// A 24-bit bottom-up DIB section, as LoadImage makes of a 24-bit BMP, holding the frame's pixels.
UniqueGdiObject DibFromSource(IWICBitmapSource* source) {
  UINT width = 0, height = 0;
  if (FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0) return {};
  const UINT stride = (width * 3 + 3) & ~3u;
  std::vector<BYTE> rows(static_cast<size_t>(stride) * height);
  if (FAILED(source->CopyPixels(nullptr, stride, static_cast<UINT>(rows.size()), rows.data()))) return {};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(width), static_cast<LONG>(height), 1, 24, BI_RGB,
                    0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return {};
  for (UINT y = 0; y < height; ++y)
    std::memcpy(static_cast<BYTE*>(bits) + static_cast<size_t>(height - 1 - y) * stride, &rows[y * stride], stride);
  return dib;
}

}  // namespace

// The pictures are kept as PNG (the BMPs they are made from would be ten times larger) and decoded
// with the imaging component Windows and Wine both carry.
UniqueGdiObject LoadBitmapResource(int id) {
  const auto [bytes, size] = ResourceBytes(id);
  if (!bytes || size == 0) return {};
  // One apartment and factory per thread, kept: a window loads dozens of pictures, and each new
  // apartment and factory costs more under Wine than the decoding.
  struct Imaging {
    ComApartment com;
    ComPtr<IWICImagingFactory> factory;
  };
  const ThreadObject<Imaging> imaging;
  if (!imaging->factory && FAILED(CoCreateInstance(kWicFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                   __uuidof(IWICImagingFactory), imaging->factory.PutVoid())))
    return {};
  IWICImagingFactory* factory = imaging->factory.Get();
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateStream(Out(stream))) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, Out(decoder))) ||
      FAILED(decoder->GetFrame(0, Out(frame))) || FAILED(factory->CreateFormatConverter(Out(converter))) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)))
    return {};
  return DibFromSource(converter.Get());
}

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
    const ThreadScope scope;
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
