// The main window's tiles under a real pointer: a caption never stays red once the pointer has left.
#include <gtest/gtest.h>

#include "tests/gui/Pump.h"
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

}  // namespace
}  // namespace kestrun
