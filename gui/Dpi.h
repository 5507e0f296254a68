#pragma once
// Layouts are written in 96-DPI figures; windows scale them to the DPI of their monitor here, with one
// rounding rule (MulDiv: to nearest, halves away from zero), so that 96 DPI gives the figures exactly.
#include <windows.h>

namespace kestrun::gui {

inline constexpr int kDesignDpi = 96;

[[nodiscard]] inline int Scale(int value, int dpi) { return dpi == kDesignDpi ? value : MulDiv(value, dpi, kDesignDpi); }

// The smallest design figure that scales to at least pixels + slack pixels (slack only off 96 DPI):
// a box measured in pixels keeps its text whole wherever it lies, though edges round separately.
[[nodiscard]] int Unscale(int pixels, int dpi, int slack = 0);

// Scales edges, not sizes: neighbours that touch at 96 DPI still touch at every DPI.
[[nodiscard]] RECT ScaleRect(int left, int top, int width, int height, int dpi);

// The DPI the system asks a window to draw at (GetDpiForWindow where the system has it).
[[nodiscard]] int WindowDpi(HWND hwnd);
// The DPI of the screen a window will first appear on.
[[nodiscard]] int SystemDpi();

}  // namespace kestrun::gui
