#pragma once
// A form's native children (the list view and the edits): where they lie in design figures, the fonts
// lent to them, the Tab order of the edits and the focus to give back when the form is activated again.
// At a new DPI they are laid out again and given fonts of the new size.
#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "gui/Edit.h"
#include "gui/Gdi.h"
#include "gui/GraphicControl.h"
#include "gui/ListView.h"

namespace kestrun::gui {

class ControlHost;

class NativeChildren {
 public:
  // formFont: the font of children that take the form's font (the list).
  NativeChildren(const ControlHost& host, FontStyle formFont) : host_(host), formStyle_(std::move(formFont)) {}
  NativeChildren(const NativeChildren&) = delete;
  NativeChildren& operator=(const NativeChildren&) = delete;

  // Placed relative to parent (null: the client area of window) at the host's DPI.
  ListView AddListView(HWND window, GraphicControl* parent, Bounds bounds, ListRows& rows);
  // Edits join the Tab order in the order they are added; the first has the focus at first activation.
  Edit AddEdit(HWND window, GraphicControl* parent, Bounds bounds, const FontStyle& font);

  // Fonts and places at the host's DPI, which has just changed, and in its contrast.
  void ApplyDpi();
  // The host's contrast setting or the system's colours changed: the children take the new colours.
  void ApplyContrast();
  // The notification of one of the lists, answered; empty for any other.
  std::optional<LRESULT> Notify(NMHDR& header);
  // Tab and Shift+Tab among the edits, from the one with the focus (or none); false without edits.
  bool FocusNextTabStop(HWND from, bool backwards);
  // As window loses the activation: the child with the focus gets it back at the next activation.
  void RememberFocus(HWND window);
  // The child to focus at activation (the first edit the first time); null: the form itself.
  [[nodiscard]] HWND FocusToRestore();

 private:
  // A native child and where it lies in design figures, to be laid out again at a new DPI.
  struct Child {
    HWND hwnd;  // not owned
    GraphicControl* parent;
    Bounds bounds;
    int font;  // index into fonts_
  };

  [[nodiscard]] RECT PlaceOf(GraphicControl* parent, Bounds bounds) const;
  void ApplyContrast(HWND child) const;
  int AddFont(const FontStyle& style);
  [[nodiscard]] HFONT Font(int index) const { return static_cast<HFONT>(fonts_[static_cast<size_t>(index)].second.Get()); }

  const ControlHost& host_;
  FontStyle formStyle_;
  int formFont_ = -1;  // index into fonts_ once a child takes the form's font
  std::vector<std::pair<FontStyle, UniqueGdiObject>> fonts_;  // owned; lent to the children
  std::vector<Child> children_;
  std::vector<HWND> tabOrder_;    // not owned: children, destroyed with the window
  HWND focus_ = nullptr;
  std::vector<ListView> lists_;   // not owned: children, destroyed with the window
};

}  // namespace kestrun::gui
