// The native children a form hosts: edits and their Tab order; the open-file filter.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "controls/Kspeedbutton.h"
#include "gui/Form.h"
#include "gui/OpenDialog.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

// Keys typed into an edit are offered to its form: Tab cycles the edits, Escape and Alt+C reach the
// cancel button, Enter with no default button does nothing.
TEST(EditWrapper, TextRoundTripsAndTabMovesBetweenEditsEscapeReachesCancel) {
  gui::Form form(test::Placed(320, 172, 311, 168), nullptr);
  auto& cancel = form.Add<TKSpeedButton>(nullptr, gui::Bounds{205, 110, 90, 40});
  cancel.SetCancel(true);
  cancel.SetCaption("&Cancel");
  int cancels = 0;
  cancel.SetOnClick([&](gui::GraphicControl&) { ++cancels; });
  gui::FontStyle font{"MS Sans Serif", 13, false, ANSI_CHARSET};
  gui::Edit first = form.AddEdit(nullptr, {127, 24, 161, 19}, font);
  gui::Edit second = form.AddEdit(nullptr, {127, 66, 161, 19}, font);
  form.Show();
  EXPECT_TRUE(test::WaitFor([&] { return GetFocus() == first.Handle(); }));
  // A lone surrogate too: a name no code page carries comes back exactly.
  const std::string path = "C:\\Program Files\\Привет\xED\xA0\x80\\tool.exe";
  first.SetText(path);

  PostMessageA(first.Handle(), WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(test::WaitFor([&] { return GetFocus() == second.Handle(); }));
  PostMessageA(second.Handle(), WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(test::WaitFor([&] { return GetFocus() == first.Handle(); }));

  PostMessageA(first.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(first.Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageA(first.Handle(), WM_SYSCHAR, 'c', 1 | (1 << 29));
  EXPECT_TRUE(test::WaitFor([&] { return cancels >= 2; }));
  EXPECT_EQ(cancels, 2);
  EXPECT_EQ(first.Text(), path);
  // The open dialog's filter: pipes become NULs, with a double NUL at the end.
  EXPECT_EQ(gui::OpenDialog::ApiFilter("Executable files (*.exe;*lnk)|*.exe|All files (*.*)|*.*"),
            std::string("Executable files (*.exe;*lnk)\0*.exe\0All files (*.*)\0*.*\0\0", 57));
}

}  // namespace
}  // namespace kestrun
