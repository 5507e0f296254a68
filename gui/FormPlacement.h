#pragma once
// Where a form lies and how large it is. Both are 96-DPI figures scaled to the DPI the form is laid out
// at; a form placed over its owner is centred there each time it is shown.
#include <windows.h>

namespace kestrun::gui {

enum class Placement { Fixed, OwnerCentre };

class FormPlacement {
 public:
  FormPlacement(Placement placement, int designWidth, int designHeight)
      : placement_(placement), designWidth_(designWidth), designHeight_(designHeight) {}

  [[nodiscard]] SIZE Size(int dpi) const;
  // At 96 DPI the design position as it is; scaled, it is kept on the screen's work area.
  [[nodiscard]] POINT FirstPosition(POINT designPosition, int dpi) const;
  // The window at its size for dpi: at suggested (the system's choice after a DPI change) or where it is.
  void Resize(HWND window, int dpi, const RECT* suggested = nullptr) const;
  // A new height in design figures, for a form whose content grows.
  void SetDesignHeight(HWND window, int height, int dpi);
  // Centres window over owner (null: the screen) when the form is placed so; else leaves it.
  void PlaceForShow(HWND window, HWND owner) const;

 private:
  Placement placement_;
  int designWidth_;
  int designHeight_;
};

}  // namespace kestrun::gui
