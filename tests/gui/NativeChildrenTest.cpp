// The native children a form hosts: list view, edits and their Tab order; the open-file filter.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "controls/Kspeedbutton.h"
#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "gui/OpenDialog.h"
#include "gui/Panel.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

gui::FormLayout MainLike() {
  gui::FormLayout layout;
  layout.caption = "Native children";
  layout.width = 449;
  layout.height = 375;
  layout.position = {239, 158};
  return layout;
}

TEST(ListViewWrapper, ReportListWithCheckBoxesAndNoCaptionEditing) {
  gui::Form form(MainLike(), nullptr);
  auto& panel = form.Add<gui::Panel>(nullptr, gui::Bounds{7, 94, 435, 208}, gui::PanelStyle{});
  gui::ListView list = form.AddListView(&panel, {0, 0, 435, 208});
  ASSERT_NE(list.Handle(), nullptr);
  form.Show();
  test::Pump(50);

  LONG_PTR style = GetWindowLongPtrA(list.Handle(), GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_FALSE(style & LVS_EDITLABELS);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_TRUE(ListView_GetExtendedListViewStyle(list.Handle()) & LVS_EX_CHECKBOXES);
  RECT rect;
  GetWindowRect(list.Handle(), &rect);
  MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 7);
  EXPECT_EQ(rect.top, 94);

  EXPECT_EQ(list.AddColumn("Name", -1, 50), 0);
  EXPECT_EQ(list.AddColumn("Path", -1, 200), 1);
  EXPECT_GE(list.ColumnWidth(0), 50);
  EXPECT_GE(list.ColumnWidth(1), 200);

  std::string longPath = "C:\\" + std::string(3000, 'p') + "\\Привет.exe";
  EXPECT_EQ(list.AddRow("Tom & Jerry", "C:\\tj.exe", true, 11), 0);
  EXPECT_EQ(list.AddRow("Long", longPath, false, 22), 1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_TRUE(list.Checked(0));
  EXPECT_FALSE(list.Checked(1));
  list.SetChecked(1, true);
  list.SetChecked(0, false);
  EXPECT_TRUE(list.Checked(1));
  EXPECT_FALSE(list.Checked(0));
  EXPECT_EQ(list.Text(0), "Tom & Jerry");
  EXPECT_EQ(list.Text(1, 1), longPath);
  EXPECT_EQ(list.Data(1), 22);

  EXPECT_EQ(list.Selected(), -1);
  list.Select(1);
  EXPECT_EQ(list.Selected(), 1);
  list.Select(0);
  EXPECT_EQ(list.Selected(), 0);  // single selection
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Selected(), -1);
}

TEST(EditWrapper, TextRoundTripsAndTabMovesBetweenEditsEscapeReachesCancel) {
  gui::FormLayout layout;
  layout.width = 311;
  layout.height = 168;
  layout.position = {320, 172};
  gui::Form form(layout, nullptr);
  auto& cancel = form.Add<TKSpeedButton>(nullptr, gui::Bounds{205, 110, 90, 40});
  cancel.SetCancel(true);
  int cancels = 0;
  cancel.OnClick = [&](gui::GraphicControl&) { ++cancels; };
  gui::FontStyle font{"MS Sans Serif", 13, false, ANSI_CHARSET};
  gui::Edit first = form.AddEdit(nullptr, {127, 24, 161, 19}, font);
  gui::Edit second = form.AddEdit(nullptr, {127, 66, 161, 19}, font);
  form.Show();
  test::Pump(100);
  EXPECT_EQ(GetFocus(), first.Handle());
  EXPECT_FALSE(GetWindowLongPtrA(first.Handle(), GWL_STYLE) & WS_BORDER);

  std::string name = "C:\\Program Files\\Привет\\tool.exe";
  first.SetText(name);
  EXPECT_EQ(first.Text(), name);
  second.SetText("");
  EXPECT_EQ(second.Text(), "");

  PostMessageA(first.Handle(), WM_KEYDOWN, VK_TAB, 1);
  test::Pump(50);
  EXPECT_EQ(GetFocus(), second.Handle());
  PostMessageA(second.Handle(), WM_KEYDOWN, VK_TAB, 1);
  test::Pump(50);
  EXPECT_EQ(GetFocus(), first.Handle());

  PostMessageA(first.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(first.Handle(), WM_KEYDOWN, VK_RETURN, 1);
  test::Pump(50);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(first.Text(), name);
}

TEST(OpenDialogFilter, PipesBecomeNulsWithADoubleNulAtTheEnd) {
  std::string api = gui::OpenDialog::ApiFilter("Executable files (*.exe;*lnk)|*.exe|All files (*.*)|*.*");
  EXPECT_EQ(api, std::string("Executable files (*.exe;*lnk)\0*.exe\0All files (*.*)\0*.*\0\0", 57));
}

TEST(ImagePicture, BannerCopiedFromAnImageListIsDrawnUnscaledAtTheTopLeft) {
  gui::ImageList banners(20, 10);
  gui::WindowDc screen(nullptr);
  for (COLORREF c : {RGB(255, 0, 0), RGB(0, 0, 255)}) {
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), 20, 10));
    gui::UniqueDc dc(CreateCompatibleDC(screen.Get()));
    {
      gui::SelectObjectGuard select(dc.Get(), bitmap.Get());
      gui::FillSolid(dc.Get(), {0, 0, 20, 10}, c);
    }
    banners.Add(static_cast<HBITMAP>(bitmap.Get()));
  }
  ASSERT_EQ(banners.Count(), 2);
  gui::Image image({0, 0, 40, 30});
  image.SetBitmap(banners.CopyImage(1));

  gui::UniqueDc dc(CreateCompatibleDC(screen.Get()));
  UniqueGdiObject surface(CreateCompatibleBitmap(screen.Get(), 40, 30));
  gui::SelectObjectGuard select(dc.Get(), surface.Get());
  gui::FillSolid(dc.Get(), {0, 0, 40, 30}, RGB(0, 255, 0));
  image.Paint(dc.Get());
  EXPECT_EQ(GetPixel(dc.Get(), 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc.Get(), 19, 9), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc.Get(), 20, 9), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc.Get(), 19, 10), RGB(0, 255, 0));
}

}  // namespace
}  // namespace kestrun
