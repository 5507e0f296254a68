#include "gui/ListView.h"

#include <commctrl.h>

#include <vector>

namespace kestrun::gui {

ListView ListView::Create(HWND parent, const RECT& rect, HFONT font) {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)registered;
  HWND hwnd = CreateWindowExA(0, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                                  LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                              rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return ListView();
  ListView_SetExtendedListViewStyle(hwnd, LVS_EX_CHECKBOXES);
  ListView_SetBkColor(hwnd, RGB(255, 255, 255));
  ListView_SetTextBkColor(hwnd, RGB(255, 255, 255));
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return ListView(hwnd);
}

int ListView::AddColumn(const std::string& caption, int width, int minWidth) {
  std::string text = caption;
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_MINWIDTH;
  column.pszText = text.data();
  column.cx = width < 0 ? minWidth : width;
  column.cxMin = minWidth;
  int index = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTCOLUMNA, 0x7FFF, reinterpret_cast<LPARAM>(&column)));
  if (index >= 0 && width < 0) SetColumnWidth(index, width);
  if (index >= 0 && ColumnWidth(index) < minWidth) SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, index, minWidth);
  return index;
}

void ListView::SetColumnWidth(int column, int width) {
  SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

int ListView::ColumnWidth(int column) const {
  return static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
}

int ListView::AddRow(const std::string& text, const std::string& subText, bool checked) {
  std::string first = text;
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = Count();
  item.pszText = first.data();
  int row = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  std::string second = subText;
  LVITEMA sub{};
  sub.iSubItem = 1;
  sub.pszText = second.data();
  SendMessageA(hwnd_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  SetChecked(row, checked);
  return row;
}

void ListView::Clear() { ListView_DeleteAllItems(hwnd_); }

int ListView::Count() const { return ListView_GetItemCount(hwnd_); }

// Grows the buffer until the text fits: names and paths have no fixed limit.
std::string ListView::Text(int row, int column) const {
  for (size_t size = 512;; size *= 4) {
    std::vector<char> buffer(size);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(size);
    auto length = static_cast<size_t>(SendMessageA(hwnd_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < size) return std::string(buffer.data(), length);
  }
}

bool ListView::Checked(int row) const { return ListView_GetCheckState(hwnd_, row) != 0; }

void ListView::SetChecked(int row, bool checked) { ListView_SetCheckState(hwnd_, row, checked ? TRUE : FALSE); }

int ListView::Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }

void ListView::Select(int row) {
  if (row < 0) {
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
    return;
  }
  ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, row, FALSE);
}

void ListView::Focus() const { SetFocus(hwnd_); }

void ListView::SetVisible(bool visible) const { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

}  // namespace kestrun::gui
