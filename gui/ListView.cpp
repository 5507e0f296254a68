#include "gui/ListView.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <string>
#include <type_traits>

#include "base/Text.h"

namespace kestrun::gui {

namespace {

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

// The second part of a character: UTF-8's continuation bytes, UTF-16's low surrogates.
bool ContinuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool ContinuesCharacter(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Copies text into one of the list's buffers; a text too long for it is cut before a whole character.
template <typename Char>
void CopyText(std::basic_string_view<Char> text, Char* buffer, int size) {
  if (!buffer || size <= 0) return;
  size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
  if (length < text.size())
    while (length > 0 && ContinuesCharacter(text[length])) --length;
  text.copy(buffer, length);
  buffer[length] = Char{};
}

// The list asks for a row's tip in its own buffer, in ANSI or (Wine's list, whatever the window
// takes) in UTF-16.
template <typename Info>
LRESULT AnswerTip(Info& info, const ListRows& rows) {
  if (info.iItem < 0 || info.iItem >= rows.RowCount()) return 0;
  const std::string tip = rows.RowTip(info.iItem);
  if (tip.empty()) return 0;
  if constexpr (std::is_same_v<Info, NMLVGETINFOTIPW>)
    CopyText<wchar_t>(ToWide(tip), info.pszText, info.cchTextMax);
  else
    CopyText<char>(tip, info.pszText, info.cchTextMax);
  return 0;
}

// A row's texts and check mark, asked for in UTF-16 (the list of a Unicode window) or in ANSI.
template <typename Info>
LRESULT AnswerItem(Info& info, const ListRows& rows) {
  auto& item = info.item;
  if (item.iItem < 0 || item.iItem >= rows.RowCount()) return 0;
  if (item.mask & LVIF_TEXT) {
    const std::string_view text = rows.CellText(item.iItem, item.iSubItem);
    if constexpr (std::is_same_v<Info, NMLVDISPINFOW>)
      CopyText<wchar_t>(ToWide(std::string(text)), item.pszText, item.cchTextMax);
    else
      CopyText<char>(text, item.pszText, item.cchTextMax);
  }
  if (item.mask & LVIF_STATE) {
    item.state &= ~LVIS_STATEIMAGEMASK;
    item.state |= rows.RowChecked(item.iItem) ? kChecked : kUnchecked;
  }
  return 0;
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
  if (prefix.size() > text.size()) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.data(), static_cast<int>(prefix.size()),
                        prefix.data(), static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

// Widths of texts in the list's font. A text of plain ASCII is summed from a table of character
// widths, as the system sums them itself: a column over 100,000 rows is measured in milliseconds.
class TextMeasure {
 public:
  explicit TextMeasure(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
    font_ = SelectObject(dc_, reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_, &metrics);
    overhang_ = metrics.tmOverhang;
    table_ = GetCharWidth32A(dc_, 0, 127, ascii_) != FALSE;
  }
  TextMeasure(const TextMeasure&) = delete;
  TextMeasure& operator=(const TextMeasure&) = delete;
  ~TextMeasure() {
    SelectObject(dc_, font_);
    ReleaseDC(hwnd_, dc_);
  }

  int Width(std::string_view text) const {
    if (text.empty()) return 0;
    if (table_) {
      int sum = overhang_;
      for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return Measured(text);
        sum += ascii_[static_cast<unsigned char>(c)];
      }
      return sum;
    }
    return Measured(text);
  }

 private:
  int Measured(std::string_view text) const {
    SIZE size{};
    const std::wstring wide = ToWide(std::string(text));
    GetTextExtentPoint32W(dc_, wide.data(), static_cast<int>(wide.size()), &size);
    return size.cx;
  }

  HWND hwnd_;
  HDC dc_;
  HGDIOBJ font_;
  int overhang_ = 0;
  bool table_ = false;
  INT ascii_[128] = {};
};

}  // namespace

ListView ListView::Create(HWND parent, const RECT& rect, HFONT font, ListRows& rows) {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)registered;
  HWND hwnd = CreateWindowExW(0, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                                  LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                              rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return ListView();
  ListView_SetExtendedListViewStyle(hwnd, LVS_EX_CHECKBOXES);
  // The check mark is asked for with the texts; the list keeps only selection and focus.
  ListView_SetCallbackMask(hwnd, LVIS_STATEIMAGEMASK);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ListView list;
  list.hwnd_ = hwnd;
  list.rows_ = &rows;
  list.SetColors(false);
  return list;
}

int ListView::AddColumn(const std::string& caption, int width, int minWidth) {
  std::wstring text = ToWide(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_MINWIDTH;
  column.pszText = text.data();
  column.cx = width < 0 ? minWidth : width;
  column.cxMin = minWidth;
  int index = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTCOLUMNW, 0x7FFF, reinterpret_cast<LPARAM>(&column)));
  if (index >= 0 && width < 0) SetColumnWidth(index, width);
  if (index >= 0 && ColumnWidth(index) < minWidth) SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, index, minWidth);
  return index;
}

// The width travels in 16 bits: a wider one would arrive wrapped, as a narrow or negative width.
void ListView::SetColumnWidth(int column, int width) {
  SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(std::min(width, 32767), 0));
}

int ListView::ColumnWidth(int column) const {
  return static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
}

void ListView::Reload() {
  SendMessageA(hwnd_, LVM_SETITEMCOUNT, 0, 0);  // drops selection and focus of the old rows
  SendMessageA(hwnd_, LVM_SETITEMCOUNT, rows_->RowCount(), 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

// What the list adds to a text when it sizes a column to its contents (margins, and the check box in
// the first column): the size-to-contents widths of a hidden, empty list of the same kind and font, so
// this list keeps its rows, selection and scroll position. One probe answers every column, and its
// answers hold until the font (a DPI change), the styles or the theme (high contrast) change.
int ListView::PaddingOf(int column) const {
  FitKey key{};
  if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)))
    GetObjectW(font, sizeof key.font, &key.font);
  key.style = ListView_GetExtendedListViewStyle(hwnd_);
  key.themed = GetWindowTheme(hwnd_) != nullptr;
  const int columns = Header_GetItemCount(ListView_GetHeader(hwnd_));
  if (columns != static_cast<int>(paddings_.size()) || !key.Same(fitKey_)) {
    paddings_ = ProbePaddings(columns);
    fitKey_ = key;
  }
  return column < static_cast<int>(paddings_.size()) ? paddings_[column] : 0;
}

std::vector<int> ListView::ProbePaddings(int columns) const {
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  HWND probe = CreateWindowExA(WS_EX_NOPARENTNOTIFY, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                               rect.right - rect.left, rect.bottom - rect.top, GetParent(hwnd_), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (!probe) return {};
  ListView_SetExtendedListViewStyle(probe, ListView_GetExtendedListViewStyle(hwnd_));
  if (!GetWindowTheme(hwnd_)) SetWindowTheme(probe, L" ", L" ");
  SendMessageA(probe, WM_SETFONT, SendMessageA(hwnd_, WM_GETFONT, 0, 0), FALSE);
  std::vector<int> paddings;
  for (int i = 0; i < columns; ++i) {
    LVCOLUMNA empty{};
    empty.mask = LVCF_WIDTH;
    SendMessageA(probe, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&empty));
  }
  for (int i = 0; i < columns; ++i) {
    SendMessageA(probe, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(LVSCW_AUTOSIZE, 0));
    paddings.push_back(static_cast<int>(SendMessageA(probe, LVM_GETCOLUMNWIDTH, i, 0)));
  }
  DestroyWindow(probe);
  return paddings;
}

void ListView::FitColumn(int column, int minWidth) {
  int widest = 0;
  {
    TextMeasure measure(hwnd_);
    for (int row = 0, count = rows_->RowCount(); row < count; ++row)
      widest = std::max(widest, measure.Width(rows_->CellText(row, column)));
  }
  SetColumnWidth(column, std::max(minWidth, widest + PaddingOf(column)));
}

// Dimmed rows in the system's grey, whatever the DPI: the colour is all that changes.
static LRESULT AnswerDraw(NMLVCUSTOMDRAW& draw, const ListRows& rows) {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && rows.RowDimmed(static_cast<int>(draw.nmcd.dwItemSpec)))
    draw.clrText = GetSysColor(COLOR_GRAYTEXT);
  return CDRF_DODEFAULT;
}

std::optional<LRESULT> ListView::Notify(NMHDR& header) {
  if (!rows_ || header.hwndFrom != hwnd_) return std::nullopt;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      return AnswerItem(reinterpret_cast<NMLVDISPINFOW&>(header), *rows_);
    case LVN_GETDISPINFOA:
      return AnswerItem(reinterpret_cast<NMLVDISPINFOA&>(header), *rows_);
    case LVN_ODFINDITEMW: {
      const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
      if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
      return FindRow(find.iStart, find.lvfi.psz, find.lvfi.flags);
    }
    case LVN_GETINFOTIPA:
      return AnswerTip(reinterpret_cast<NMLVGETINFOTIPA&>(header), *rows_);
    case LVN_GETINFOTIPW:
      return AnswerTip(reinterpret_cast<NMLVGETINFOTIPW&>(header), *rows_);
    case NM_CUSTOMDRAW:
      return AnswerDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header), *rows_);
    case NM_CLICK: {
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
      SendMessageA(hwnd_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) ToggleCheck(hit.iItem);
      return 0;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE)
        ToggleCheck(ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED));
      return 0;
    default:
      return std::nullopt;
  }
}

void ListView::ToggleCheck(int row) {
  if (row < 0 || row >= rows_->RowCount()) return;
  SetChecked(row, !rows_->RowChecked(row));
}

// Type-to-find: the next row from start whose first column begins with (or is) the typed text.
int ListView::FindRow(int start, std::wstring_view wanted, UINT flags) const {
  const bool partial = (flags & LVFI_PARTIAL) != 0, wrap = (flags & LVFI_WRAP) != 0;
  const int count = rows_->RowCount();
  if (count == 0) return -1;
  start = std::clamp(start, 0, count);
  for (int step = 0, end = wrap ? count : count - start; step < end; ++step) {
    const int row = (start + step) % count;
    const std::wstring text = ToWide(std::string(rows_->CellText(row, 0)));
    if (StartsWithIgnoringCase(text, wanted) && (partial || text.size() == wanted.size())) return row;
  }
  return -1;
}

void ListView::Clear() { SendMessageA(hwnd_, LVM_SETITEMCOUNT, 0, 0); }

int ListView::Count() const { return ListView_GetItemCount(hwnd_); }

std::string ListView::Text(int row, int column) const {
  return row >= 0 && row < rows_->RowCount() ? std::string(rows_->CellText(row, column)) : std::string();
}

bool ListView::Checked(int row) const { return row >= 0 && row < rows_->RowCount() && rows_->RowChecked(row); }

void ListView::SetChecked(int row, bool checked) {
  if (row < 0 || row >= rows_->RowCount()) return;
  rows_->SetRowChecked(row, checked);
  ListView_RedrawItems(hwnd_, row, row);
}

void ListView::RedrawRow(int row) const { ListView_RedrawItems(hwnd_, row, row); }

int ListView::TopRow() const { return ListView_GetTopIndex(hwnd_); }

int ListView::RowsPerPage() const { return ListView_GetCountPerPage(hwnd_); }

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

// The text's colour is set as well as the ground's: left to the system, it could be the ground's.
void ListView::SetColors(bool highContrast) const {
  const COLORREF ground = highContrast ? GetSysColor(COLOR_WINDOW) : RGB(255, 255, 255);
  ListView_SetBkColor(hwnd_, ground);
  ListView_SetTextBkColor(hwnd_, ground);
  ListView_SetTextColor(hwnd_, highContrast ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
}

// " " names no visual style; null gives the system's back. The check boxes are pictures the list
// paints once, in the style it has then: switched off and on, they are painted again.
void ListView::ApplyContrast(bool on) const {
  SetColors(on);
  for (HWND part : {hwnd_, ListView_GetHeader(hwnd_)}) SetWindowTheme(part, on ? L" " : nullptr, on ? L" " : nullptr);
  ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_CHECKBOXES, 0);
  ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
}

void ListView::SetVisible(bool visible) const { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

}  // namespace kestrun::gui
