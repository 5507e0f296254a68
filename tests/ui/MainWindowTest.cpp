// The main window's tiles under a real pointer: a caption never stays red once the pointer has left.
#include <gtest/gtest.h>

#include "tests/gui/Pump.h"
#include "tests/store/PrefixSeed.h"
#include "ui/Messageform.h"
#include "ui/Aboutform.h"
#include "ui/Startupmain.h"
#include "ui/Theme.h"

namespace kestrun {
namespace {

POINT ScreenCentre(TForm1& form, gui::GraphicControl& control) {
  RECT r = form.Host().ClientRectOf(control);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(form.Handle(), &p);
  return p;
}

TEST(MainWindowHover, CaptionTurnsWhiteWhenThePointerLeavesAfterAModalBox) {
  TForm1 main(SystemPlatform());
  TfmAbout about(&main, SystemPlatform());
  main.SetAboutBox(&about);
  main.Show();
  test::Pump(300);
  const POINT tile = ScreenCentre(main, *main.bbtAbout);
  SetCursorPos(tile.x, tile.y);
  test::Pump(300);
  EXPECT_EQ(main.lAbout->TextColor(), kHoverRed);

  // The pointer stays on the tile while the About box is up and closed again with Escape.
  test::Steps steps({[&] { PostMessageA(about.Handle(), WM_KEYDOWN, VK_ESCAPE, 1); }});
  POINT client = tile;
  ScreenToClient(main.Handle(), &client);
  PostMessageA(main.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
  PostMessageA(main.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  test::Pump(1000);
  EXPECT_FALSE(about.Visible());
  EXPECT_FALSE(steps.Forced());
  EXPECT_EQ(main.lAbout->TextColor(), kHoverRed);

  // Straight onto the list, a window of its own: the form sees no move, only the leave.
  const POINT list = ScreenCentre(main, *main.Panel1);
  SetCursorPos(list.x, list.y);
  test::Pump(1000);
  EXPECT_EQ(main.lAbout->TextColor(), kCaptionWhite);
}

// Save Settings against a parking key the user may not write: the box says why, naming the entry.
TEST(MainWindowSave, AMoveTheSystemRefusesIsShownWithItsReason) {
  const std::string run = test::VersionKey("Run");
  test::SetString(HKEY_CURRENT_USER, run, "Locked out", "C:\\a.exe");
  std::string shown = "(no box)";
  {
    test::LockedKey lock(HKEY_CURRENT_USER, test::VersionKey("Run-"));
    TForm1 main(SystemPlatform());
    main.Show();
    test::Pump(300);
    for (int i = 0; i < static_cast<int>(main.Rows().size()); ++i)
      if (main.Rows()[i].name == "Locked out") main.lvStartup.SetChecked(i, false);
    test::Steps steps({[&] {
      auto* box = dynamic_cast<TfmMessageBox*>(gui::Form::FromHandle(GetActiveWindow()));
      if (!box) return;
      shown = box->lMessage->Text();
      PostMessageA(box->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    }});
    POINT save = ScreenCentre(main, *main.bbtSaveSettings);
    ScreenToClient(main.Handle(), &save);
    PostMessageA(main.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(save.x, save.y));
    PostMessageA(main.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(save.x, save.y));
    test::Pump(1500);
    EXPECT_FALSE(steps.Forced());
  }
  // Broken into lines the box can show: it does not wrap by itself.
  EXPECT_EQ(shown, "\n'Locked out' could not be disabled:\nAccess denied.");
  EXPECT_TRUE(test::ReadRaw(HKEY_CURRENT_USER, run, "Locked out").has_value());
  test::DeleteStartupKeys();
}

}  // namespace
}  // namespace kestrun
