#pragma once
// High contrast: whether the user asks for it, and the system's colour pairs everything then draws with.
#include <windows.h>

#include <functional>

namespace kestrun::gui {

// Asked at start and whenever the system's colours or settings change.
using ContrastQuery = std::function<bool()>;

// Surfaces and the list; tiles and buttons; hover, press and selection.
enum class ColorPair { Window, Button, Highlight };

[[nodiscard]] inline COLORREF PairBackground(ColorPair pair) {
  return GetSysColor(pair == ColorPair::Window   ? COLOR_WINDOW
                     : pair == ColorPair::Button ? COLOR_BTNFACE
                                                 : COLOR_HIGHLIGHT);
}
[[nodiscard]] inline COLORREF PairText(ColorPair pair) {
  return GetSysColor(pair == ColorPair::Window   ? COLOR_WINDOWTEXT
                     : pair == ColorPair::Button ? COLOR_BTNTEXT
                                                 : COLOR_HIGHLIGHTTEXT);
}

}  // namespace kestrun::gui
