#include "gui/NativeChildren.h"

#include <uxtheme.h>

#include <algorithm>

#include "gui/ControlHost.h"
#include "gui/Dpi.h"

namespace kestrun::gui {

RECT NativeChildren::PlaceOf(GraphicControl* parent, Bounds bounds) const {
  POINT origin = parent ? host_.DesignOrigin(*parent) : POINT{0, 0};
  return ScaleRect(origin.x + bounds.left, origin.y + bounds.top, bounds.width, bounds.height, host_.Dpi());
}

int NativeChildren::AddFont(const FontStyle& style) {
  fonts_.emplace_back(style, CreateFontObject(style, host_.Dpi(), host_.HighContrast()));
  return static_cast<int>(fonts_.size()) - 1;
}

ListView NativeChildren::AddListView(HWND window, GraphicControl* parent, Bounds bounds, ListRows& rows) {
  if (formFont_ < 0) formFont_ = AddFont(formStyle_);
  ListView list = ListView::Create(window, PlaceOf(parent, bounds), Font(formFont_), rows);
  if (list.Handle()) {
    children_.push_back({list.Handle(), parent, bounds, formFont_});
    lists_.push_back(list);
    if (host_.HighContrast()) ApplyContrast(list.Handle());
  }
  return list;
}

Edit NativeChildren::AddEdit(HWND window, GraphicControl* parent, Bounds bounds, const FontStyle& font) {
  const int index = AddFont(font);
  Edit edit = Edit::Create(window, PlaceOf(parent, bounds), Font(index));
  if (edit.Handle()) {
    tabOrder_.push_back(edit.Handle());
    children_.push_back({edit.Handle(), parent, bounds, index});
    if (host_.HighContrast()) ApplyContrast(edit.Handle());
  }
  return edit;
}

// The children hold the old fonts until they are given the new ones.
void NativeChildren::ApplyDpi() {
  std::vector<UniqueGdiObject> old;
  for (auto& [style, font] : fonts_)
    old.push_back(std::exchange(font, CreateFontObject(style, host_.Dpi(), host_.HighContrast())));
  for (const Child& child : children_) {
    const RECT r = PlaceOf(child.parent, child.bounds);
    SendMessageA(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(child.font)), FALSE);
    SetWindowPos(child.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The fonts are made again (crisp in high contrast) as at a new DPI.
void NativeChildren::ApplyContrast() {
  ApplyDpi();
  for (const Child& child : children_) ApplyContrast(child.hwnd);
}

// In high contrast a child draws in the system's classic colours, as Windows drops visual styles there
// (Wine keeps them), and an edit, whose plate no longer shows, gets a border of its own. The common
// controls keep copies of the system's colours: only a top-level window hears they changed.
void NativeChildren::ApplyContrast(HWND child) const {
  const bool on = host_.HighContrast();
  SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
  for (const ListView& list : lists_)
    if (list.Handle() == child) list.ApplyContrast(on);
  const bool edit = std::find(tabOrder_.begin(), tabOrder_.end(), child) != tabOrder_.end();
  if (!edit) return;
  SetWindowTheme(child, on ? L" " : nullptr, on ? L" " : nullptr);
  const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
  SetWindowLongPtrW(child, GWL_STYLE, on ? style | WS_BORDER : style & ~static_cast<LONG_PTR>(WS_BORDER));
  SetWindowPos(child, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

std::optional<LRESULT> NativeChildren::Notify(NMHDR& header) {
  for (ListView& list : lists_)
    if (list.Handle() == header.hwndFrom) return list.Notify(header);
  return std::nullopt;
}

bool NativeChildren::FocusNextTabStop(HWND from, bool backwards) {
  if (tabOrder_.empty()) return false;
  auto it = std::find(tabOrder_.begin(), tabOrder_.end(), from);
  auto count = static_cast<std::ptrdiff_t>(tabOrder_.size());
  std::ptrdiff_t index = it == tabOrder_.end() ? (backwards ? 0 : -1) : it - tabOrder_.begin();
  index = (index + (backwards ? count - 1 : 1)) % count;
  SetFocus(tabOrder_[static_cast<size_t>(index)]);
  return true;
}

void NativeChildren::RememberFocus(HWND window) {
  HWND focus = GetFocus();
  if (focus && IsChild(window, focus)) focus_ = focus;
}

HWND NativeChildren::FocusToRestore() {
  if (!focus_ && !tabOrder_.empty()) focus_ = tabOrder_.front();
  return focus_ && IsWindow(focus_) ? focus_ : nullptr;
}

}  // namespace kestrun::gui
