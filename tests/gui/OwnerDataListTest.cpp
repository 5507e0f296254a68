// The list view: a report list with check boxes whose texts, check marks and type-to-find come from
// the rows; a click on a box and Space on the focused row toggle the mark; its columns fit their texts
// as the system fits those of a list that holds its rows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "gui/Form.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

struct Row {
  std::string name, path;
  bool checked;
};

class Rows : public gui::ListRows {
 public:
  explicit Rows(std::vector<Row> rows) : rows_(std::move(rows)) {}
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  std::string_view CellText(int row, int column) const override {
    return column == 0 ? rows_[row].name : rows_[row].path;
  }
  bool RowChecked(int row) const override { return rows_[row].checked; }
  void SetRowChecked(int row, bool checked) override { rows_[row].checked = checked; }
  std::vector<Row> rows_;
};

class OwnerDataList : public ::testing::Test {
 protected:
  OwnerDataList()
      : rows({{"Tom & Jerry", "C:\\tj.exe", true},
              {"Привет", "C:\\Программы\\日本.exe", true},
              {"Pascal", "C:\\" + std::string(3000, 'p') + "\\x.exe", false},
              {"plain", "", true}}),
        form(test::Placed(239, 158, 449, 375), nullptr),
        list(form.AddListView(nullptr, {7, 94, 435, 208}, rows)) {}

  void SetUp() override {
    list.AddColumn("Name", -1, 50);
    list.AddColumn("Path", -1, 200);
    list.Reload();
    form.Show();
    test::Pump(100);
  }

  UINT StateImage(int row) const { return ListView_GetItemState(list.Handle(), row, LVIS_STATEIMAGEMASK); }

  // The centre of a row's check box, or of its text, in the list's client area.
  POINT At(int row, bool box) const {
    RECT r{};
    r.left = box ? LVIR_ICON : LVIR_LABEL;
    SendMessageA(list.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    if (box) return {r.left - 8, (r.top + r.bottom) / 2};  // the state image lies left of the icon
    return {r.left + 10, (r.top + r.bottom) / 2};
  }

  void Click(POINT at) {
    PostMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(list.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    test::Pump(100);
  }

  void Key(WPARAM key) {
    PostMessageA(list.Handle(), WM_KEYDOWN, key, 1);
    PostMessageA(list.Handle(), WM_KEYUP, key, 0xC0000001);
    test::Pump(100);
  }

  Rows rows;
  gui::Form form;
  gui::ListView list;
};

TEST_F(OwnerDataList, TheListAsksTheRowsForTextsAndMarks) {
  LONG_PTR style = GetWindowLongPtrA(list.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_FALSE(style & LVS_EDITLABELS);
  EXPECT_TRUE(ListView_GetExtendedListViewStyle(list.Handle()) & LVS_EX_CHECKBOXES);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(StateImage(0), INDEXTOSTATEIMAGEMASK(2));
  EXPECT_EQ(StateImage(2), INDEXTOSTATEIMAGEMASK(1));
  EXPECT_EQ(list.Text(1, 1), "C:\\Программы\\日本.exe");
  // Through the list's own buffer, in UTF-16: a text too long for it is cut.
  wchar_t wide[16] = L"";
  LVITEMW item{};
  item.pszText = wide;
  item.cchTextMax = 3;
  SendMessageW(list.Handle(), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::wstring(wide), L"Пр");

  // A name with a lone surrogate, which no code page carries, reaches the list exactly.
  rows.rows_.push_back({"\xED\xA0\x80later", "C:\\later.exe", false});
  list.Reload();
  EXPECT_EQ(list.Count(), 5);
  item.cchTextMax = 16;
  SendMessageW(list.Handle(), LVM_GETITEMTEXTW, 4, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::wstring(wide), L"\xD800later");
  EXPECT_EQ(list.Selected(), -1);
}

TEST_F(OwnerDataList, ClickOnTheBoxAndSpaceToggleTheMarkAClickOnTheTextDoesNot) {
  Click(At(0, true));
  EXPECT_FALSE(rows.rows_[0].checked);
  EXPECT_EQ(StateImage(0), INDEXTOSTATEIMAGEMASK(1));
  Click(At(0, true));
  EXPECT_TRUE(rows.rows_[0].checked);

  Click(At(2, false));
  EXPECT_EQ(list.Selected(), 2);
  EXPECT_FALSE(rows.rows_[2].checked);
  Key(VK_SPACE);
  EXPECT_TRUE(rows.rows_[2].checked);
  EXPECT_EQ(list.Selected(), 2);
  Key(VK_DOWN);
  Key(VK_SPACE);
  EXPECT_FALSE(rows.rows_[3].checked);
  EXPECT_TRUE(rows.rows_[0].checked && rows.rows_[1].checked && rows.rows_[2].checked);

  list.SetChecked(1, false);
  EXPECT_FALSE(rows.rows_[1].checked);
  EXPECT_FALSE(list.Checked(1));
}

TEST_F(OwnerDataList, TypingANameFindsItsRow) {
  list.Select(0);
  list.Focus();
  PostMessageA(list.Handle(), WM_CHAR, 'p', 1);
  test::Pump(100);
  EXPECT_EQ(list.Selected(), 2);  // "Pascal"; "Привет" begins with another letter
}

// The same rows in a list that holds them, sized by the list itself, give the same widths.
TEST_F(OwnerDataList, ColumnsFitTheirTextsAsAListThatHoldsItsRows) {
  HWND plain = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 7, 94, 435, 208, form.Handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(plain, LVS_EX_CHECKBOXES);
  SendMessageA(plain, WM_SETFONT, SendMessageA(list.Handle(), WM_GETFONT, 0, 0), FALSE);
  for (int column : {0, 1}) {
    LVCOLUMNA empty{};
    SendMessageA(plain, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&empty));
  }
  for (int i = 0; i < static_cast<int>(rows.rows_.size()); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = rows.rows_[i].name.data();
    SendMessageA(plain, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = rows.rows_[i].path.data();
    SendMessageA(plain, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
  }
  list.Select(2);
  for (int column : {0, 1}) {
    SendMessageA(plain, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
    list.FitColumn(column, 0);
    EXPECT_EQ(list.ColumnWidth(column), ListView_GetColumnWidth(plain, column)) << "column " << column;
  }
  list.FitColumn(0, 400);
  EXPECT_EQ(list.ColumnWidth(0), 400);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Selected(), 2);  // fitting again (a DPI change) keeps the user's place
  // Without check boxes the first column needs less: margins measured with them are not used again.
  const DWORD style = ListView_GetExtendedListViewStyle(list.Handle());
  for (HWND each : {plain, list.Handle()}) ListView_SetExtendedListViewStyle(each, style & ~LVS_EX_CHECKBOXES);
  SendMessageA(plain, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
  list.FitColumn(0, 0);
  EXPECT_EQ(list.ColumnWidth(0), ListView_GetColumnWidth(plain, 0)) << "without check boxes";
  ListView_SetExtendedListViewStyle(list.Handle(), style);
  const WPARAM usual = SendMessageA(list.Handle(), WM_GETFONT, 0, 0);
  // A text wider than a column can be (32,767 pixels) gets the widest column, not a wrapped width.
  UniqueGdiObject huge(CreateFontA(-40, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
  SendMessageA(list.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(huge.Get()), FALSE);
  list.FitColumn(1, 0);
  EXPECT_EQ(list.ColumnWidth(1), 32767);
  DestroyWindow(plain);
  SendMessageA(list.Handle(), WM_SETFONT, usual, FALSE);
}

}  // namespace
}  // namespace kestrun
