#pragma once
// Small GDI helpers: scope guards for device contexts and selections, fonts, fills and 3-D frames.
#include <windows.h>

#include <string>

#include "base/Handles.h"

namespace kestrun::gui {

struct DcTraits {
  static HDC Invalid() { return nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};
using UniqueDc = UniqueHandle<DcTraits>;

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { EndPaint(hwnd_, &ps_); }
  [[nodiscard]] HDC Get() const { return dc_; }
  [[nodiscard]] const RECT& Dirty() const { return ps_.rcPaint; }

 private:
  PAINTSTRUCT ps_{};
  HWND hwnd_;
  HDC dc_;
};

// GetDC/ReleaseDC; a null window gives the screen DC (used to measure text).
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() { ReleaseDC(hwnd_, dc_); }
  [[nodiscard]] HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Puts the previous object back into the DC when it goes out of scope.
class SelectObjectGuard {
 public:
  SelectObjectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  SelectObjectGuard(const SelectObjectGuard&) = delete;
  SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
  ~SelectObjectGuard() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// SaveDC/RestoreDC around a change of clip region or origin.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;
  ~SavedDc() { RestoreDC(dc_, id_); }

 private:
  HDC dc_;
  int id_;
};

// An off-screen surface compatible with another DC: paint here, then copy once (no flicker).
class MemorySurface {
 public:
  MemorySurface(HDC like, int width, int height);
  [[nodiscard]] HDC Dc() const { return dc_.Get(); }

 private:
  UniqueDc dc_;
  UniqueGdiObject bitmap_;   // owned; selected into dc_ for its whole life
  HGDIOBJ oldBitmap_ = nullptr;

 public:
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;
  ~MemorySurface();
};

struct FontStyle {
  std::string name = "MS Sans Serif";  // untranslated: a font
  int height = 11;  // pixels of character height at 96 DPI (negative to CreateFontA)
  bool bold = false;
  BYTE charset = DEFAULT_CHARSET;
  bool underline = false;
};

// The font at dpi: its height scaled from the 96-DPI figure. crisp: never smoothed, so that text in high
// contrast shows only the system's colours.
[[nodiscard]] UniqueGdiObject CreateFontObject(const FontStyle& layout, int dpi = 96, bool crisp = false);
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
// Draws width nested one-pixel frames, top/left in top, bottom/right in bottom; shrinks rect by width.
void Frame3D(HDC dc, RECT& rect, COLORREF top, COLORREF bottom, int width);
[[nodiscard]] inline COLORREF ButtonFaceColor() { return GetSysColor(COLOR_BTNFACE); }

}  // namespace kestrun::gui
