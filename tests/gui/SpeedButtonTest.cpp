// The button's state machine driven through the control host, without a window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/Kspeedbutton.h"
#include "gui/Panel.h"
#include "tests/gui/FakePort.h"

namespace kestrun {
namespace {

using gui::MouseButton;
using gui::ShiftState;

class SpeedButtonTest : public ::testing::Test {
 protected:
  TKSpeedButton& AddButton(gui::Bounds bounds, gui::GraphicControl* parent = nullptr) {
    buttons_.push_back(std::make_unique<TKSpeedButton>(bounds));
    host_.Add(*buttons_.back(), parent);
    return *buttons_.back();
  }
  void Log(TKSpeedButton& b) {
    b.OnMouseDown = [this](gui::GraphicControl&, MouseButton, ShiftState, int, int) { log_.push_back("down"); };
    b.OnMouseMove = [this](gui::GraphicControl&, ShiftState, int, int) { log_.push_back("move"); };
    b.OnMouseUp = [this](gui::GraphicControl&, MouseButton, ShiftState, int, int) { log_.push_back("up"); };
    b.OnClick = [this](gui::GraphicControl&) { log_.push_back("click"); };
    b.OnDblClick = [this](gui::GraphicControl&) { log_.push_back("dblclick"); };
    b.OnMouseEnter = [this](gui::GraphicControl&) { log_.push_back("enter"); };
    b.OnMouseLeave = [this](gui::GraphicControl&) { log_.push_back("leave"); };
  }
  // Moves the pointer as the system would: cursor position first, then the message.
  void Move(int x, int y) {
    port_.cursor = POINT{x, y};
    host_.MouseMove({x, y}, {});
  }
  void Down(int x, int y) { host_.ButtonDown(MouseButton::Left, {x, y}, {}, false); }
  void Up(int x, int y) {
    port_.cursor = POINT{x, y};
    host_.ButtonUp(MouseButton::Left, {x, y}, {});
  }
  void Click(int x, int y) {
    Move(x, y);
    Down(x, y);
    Up(x, y);
  }
  std::string Events() {
    std::string all;
    for (const auto& e : log_) all += (all.empty() ? "" : " ") + e;
    log_.clear();
    return all;
  }

  test::FakePort port_;
  gui::ControlHost host_{port_};
  std::vector<std::unique_ptr<TKSpeedButton>> buttons_;
  std::vector<std::string> log_;
};

TEST_F(SpeedButtonTest, FlatClickRaisesEventsInOrderAndReleasesCapture) {
  TKSpeedButton& b = AddButton({10, 10, 90, 40});
  b.SetFlat(true);
  Log(b);
  Move(20, 20);
  EXPECT_EQ(Events(), "move enter");
  EXPECT_TRUE(b.MouseInControl());
  Down(20, 20);
  EXPECT_TRUE(port_.captured);
  EXPECT_EQ(b.State(), ibsPressed);
  Move(30, 30);
  Up(30, 30);
  EXPECT_EQ(Events(), "down move click enter up");
  EXPECT_FALSE(port_.captured);
  EXPECT_EQ(b.State(), ibsUp);
  EXPECT_FALSE(b.Dragging());
  EXPECT_TRUE(b.MouseInControl());
}

TEST_F(SpeedButtonTest, ReleaseOutsideRaisesNoClickAndLeavesUnpressed) {
  TKSpeedButton& b = AddButton({10, 10, 90, 40});
  b.SetFlat(true);
  Log(b);
  Move(20, 20);
  Down(20, 20);
  Move(200, 20);
  EXPECT_EQ(b.State(), ibsUp);
  Move(20, 21);
  EXPECT_EQ(b.State(), ibsPressed);
  Events();
  Move(200, 21);
  Up(200, 21);
  EXPECT_EQ(Events(), "move leave up");
  EXPECT_EQ(b.State(), ibsUp);
  EXPECT_FALSE(b.MouseInControl());
}

TEST_F(SpeedButtonTest, ReleaseWithoutMoveOutsideStillRepaintsUp) {
  TKSpeedButton& b = AddButton({10, 10, 90, 40});
  Move(20, 20);
  Down(20, 20);
  int before = port_.invalidations;
  Up(200, 200);
  EXPECT_EQ(b.State(), ibsUp);
  EXPECT_GT(port_.invalidations, before);
}

TEST_F(SpeedButtonTest, LastPixelRowIsInsideAndTheRowBelowIsNot) {
  TKSpeedButton& plain = AddButton({10, 10, 90, 40});
  TKSpeedButton& group = AddButton({10, 100, 90, 40});
  group.SetGroupIndex(1);
  group.SetAllowAllUp(true);
  int clicks = 0;
  plain.OnClick = [&](gui::GraphicControl&) { ++clicks; };
  group.OnClick = [&](gui::GraphicControl&) { ++clicks; };

  Down(20, 20);
  Up(20, 10 + 39);
  EXPECT_EQ(clicks, 1);
  Down(20, 20);
  Up(20, 10 + 40);
  EXPECT_EQ(clicks, 1);
  Down(99, 20);
  Up(10 + 90, 20);
  EXPECT_EQ(clicks, 1);

  Down(20, 110);
  Up(20, 100 + 39);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(group.Down());
  Down(20, 110);
  Up(20, 100 + 40);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(group.Down());
  EXPECT_EQ(group.State(), ibsExclusive);
}

TEST_F(SpeedButtonTest, GroupsLatchExclusivelyAndShareAllowAllUp) {
  gui::Panel panel({0, 0, 400, 100}, gui::PanelStyle{});
  host_.Add(panel, nullptr);
  TKSpeedButton& a = AddButton({0, 0, 50, 20}, &panel);
  TKSpeedButton& b = AddButton({60, 0, 50, 20}, &panel);
  TKSpeedButton& c = AddButton({120, 0, 50, 20}, &panel);
  TKSpeedButton& none = AddButton({180, 0, 50, 20}, &panel);
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  c.SetGroupIndex(2);

  none.SetDown(true);
  EXPECT_FALSE(none.Down());
  a.SetDown(true);
  c.SetDown(true);
  EXPECT_TRUE(a.Down());
  EXPECT_EQ(a.State(), ibsExclusive);
  b.SetDown(true);
  EXPECT_FALSE(a.Down());
  EXPECT_EQ(a.State(), ibsUp);
  EXPECT_TRUE(b.Down());
  EXPECT_TRUE(c.Down());

  b.SetDown(false);  // a latched button cannot release itself
  EXPECT_TRUE(b.Down());
  a.SetAllowAllUp(true);
  EXPECT_TRUE(b.AllowAllUp());
  EXPECT_FALSE(c.AllowAllUp());
  b.SetDown(false);
  EXPECT_FALSE(b.Down());
  buttons_.clear();
}

TEST_F(SpeedButtonTest, GroupClickRaisesClickBeforeLatching) {
  TKSpeedButton& a = AddButton({0, 0, 50, 20});
  TKSpeedButton& b = AddButton({60, 0, 50, 20});
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  bool downAtClick = true;
  a.OnClick = [&](gui::GraphicControl&) { downAtClick = a.Down(); };
  Click(10, 10);
  EXPECT_FALSE(downAtClick);
  EXPECT_TRUE(a.Down());
  Click(70, 10);
  EXPECT_TRUE(b.Down());
  EXPECT_FALSE(a.Down());
  Click(70, 10);  // without AllowAllUp a second click leaves it latched
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(b.State(), ibsExclusive);
}

TEST_F(SpeedButtonTest, EnterAndEscapeGoToTheFirstQualifyingButton) {
  TKSpeedButton& ok = AddButton({0, 0, 50, 20});
  TKSpeedButton& first = AddButton({60, 0, 50, 20});
  TKSpeedButton& second = AddButton({120, 0, 50, 20});
  ok.SetDefault(true);
  first.SetCancel(true);
  second.SetCancel(true);
  int okClicks = 0, firstClicks = 0, secondClicks = 0;
  ok.OnClick = [&](gui::GraphicControl&) { ++okClicks; };
  first.OnClick = [&](gui::GraphicControl&) { ++firstClicks; };
  second.OnClick = [&](gui::GraphicControl&) { ++secondClicks; };

  EXPECT_TRUE(host_.DialogKey(VK_RETURN, {}));
  EXPECT_EQ(okClicks, 1);
  EXPECT_TRUE(host_.DialogKey(VK_ESCAPE, {}));
  EXPECT_EQ(firstClicks, 1);
  EXPECT_EQ(secondClicks, 0);

  ShiftState shift;
  shift.shift = true;
  EXPECT_FALSE(host_.DialogKey(VK_RETURN, shift));
  ShiftState ctrl;
  ctrl.ctrl = true;
  EXPECT_FALSE(host_.DialogKey(VK_ESCAPE, ctrl));
  EXPECT_EQ(okClicks, 1);

  first.SetVisible(false);
  EXPECT_TRUE(host_.DialogKey(VK_ESCAPE, {}));
  EXPECT_EQ(secondClicks, 1);
  first.SetVisible(true);
  first.SetEnabled(false);
  EXPECT_TRUE(host_.DialogKey(VK_ESCAPE, {}));
  EXPECT_EQ(secondClicks, 2);
  EXPECT_EQ(firstClicks, 1);
  EXPECT_FALSE(host_.DialogKey(VK_SPACE, {}));
}

TEST_F(SpeedButtonTest, KeysPassOverButtonsOnAHiddenPanel) {
  gui::Panel panel({0, 0, 400, 100}, gui::PanelStyle{});
  host_.Add(panel, nullptr);
  TKSpeedButton& b = AddButton({0, 0, 50, 20}, &panel);
  b.SetDefault(true);
  b.SetCaption("&Save");
  panel.SetVisible(false);
  EXPECT_FALSE(host_.DialogKey(VK_RETURN, {}));
  EXPECT_FALSE(host_.DialogChar('s'));
  panel.SetVisible(true);
  EXPECT_TRUE(host_.DialogKey(VK_RETURN, {}));
  buttons_.clear();
}

TEST_F(SpeedButtonTest, AcceleratorFromCaptionIgnoresCase) {
  TKSpeedButton& save = AddButton({0, 0, 50, 20});
  TKSpeedButton& plain = AddButton({60, 0, 50, 20});
  save.SetCaption("&Save");
  plain.SetCaption("Fish && &Chips");
  int saves = 0, chips = 0;
  save.OnClick = [&](gui::GraphicControl&) { ++saves; };
  plain.OnClick = [&](gui::GraphicControl&) { ++chips; };
  EXPECT_TRUE(host_.DialogChar('S'));
  EXPECT_TRUE(host_.DialogChar('s'));
  EXPECT_EQ(saves, 2);
  EXPECT_FALSE(host_.DialogChar('&'));
  EXPECT_TRUE(host_.DialogChar('c'));
  EXPECT_EQ(chips, 1);
  save.SetEnabled(false);
  EXPECT_FALSE(host_.DialogChar('s'));
  save.SetEnabled(true);
  save.SetVisible(false);
  EXPECT_FALSE(host_.DialogChar('s'));
  port_.showing = false;
  EXPECT_FALSE(host_.DialogChar('c'));
  EXPECT_EQ(saves, 2);
  EXPECT_EQ(TKSpeedButton::AccelChar("No accel"), 0);
}

TEST_F(SpeedButtonTest, HoverOnlyForFlatEnabledButtonsWithoutCapture) {
  TKSpeedButton& flat = AddButton({0, 0, 50, 20});
  TKSpeedButton& solid = AddButton({60, 0, 50, 20});
  flat.SetFlat(true);
  Log(flat);
  Log(solid);
  Move(70, 10);
  Move(200, 10);
  host_.MouseLeft();
  EXPECT_EQ(Events(), "move");  // the solid button hears the move, never enter or leave

  port_.otherWindowCaptures = true;
  Move(10, 10);
  EXPECT_FALSE(flat.MouseInControl());
  port_.otherWindowCaptures = false;
  Move(200, 10);
  Events();

  flat.SetEnabled(false);
  Move(10, 10);
  Move(11, 10);
  EXPECT_EQ(Events(), "");
  EXPECT_FALSE(flat.MouseInControl());
  flat.SetEnabled(true);  // the pointer is over it: enabling re-runs tracking
  EXPECT_EQ(Events(), "enter");
  host_.MouseLeft();
  EXPECT_EQ(Events(), "leave");
}

TEST_F(SpeedButtonTest, DisabledButtonTakesNoPressAndPaintsDisabled) {
  TKSpeedButton& b = AddButton({0, 0, 50, 20});
  Log(b);
  b.SetEnabled(false);
  Click(10, 10);
  EXPECT_EQ(Events(), "");
  EXPECT_FALSE(port_.captured);
  HDC dc = CreateCompatibleDC(nullptr);
  b.Paint(dc);
  EXPECT_EQ(b.State(), ibsDisabled);
  b.SetEnabled(true);
  b.Paint(dc);
  EXPECT_EQ(b.State(), ibsUp);
  DeleteDC(dc);
}

TEST_F(SpeedButtonTest, LostCaptureLeavesNoButtonStuckPressed) {
  TKSpeedButton& b = AddButton({0, 0, 50, 20});
  Log(b);
  Move(10, 10);
  Down(10, 10);
  host_.CaptureChanged();
  EXPECT_FALSE(b.Dragging());
  EXPECT_EQ(b.State(), ibsUp);
  Events();
  Up(10, 10);
  EXPECT_EQ(Events(), "up");
}

TEST_F(SpeedButtonTest, DoubleClickRaisesNoClickAndTwiceWhenLatched) {
  TKSpeedButton& b = AddButton({0, 0, 50, 20});
  Log(b);
  Move(10, 10);
  Down(10, 10);
  Up(10, 10);
  host_.ButtonDown(MouseButton::Left, {10, 10}, {}, true);
  Up(10, 10);
  EXPECT_EQ(Events(), "move down click up dblclick down up");

  b.SetGroupIndex(1);
  b.SetDown(true);
  host_.ButtonDown(MouseButton::Left, {10, 10}, {}, true);
  EXPECT_EQ(Events(), "dblclick down dblclick");
  Up(10, 10);
}

TEST_F(SpeedButtonTest, RightButtonRaisesMouseDownWithoutPressing) {
  TKSpeedButton& b = AddButton({0, 0, 50, 20});
  Log(b);
  host_.ButtonDown(MouseButton::Right, {10, 10}, {}, false);
  EXPECT_EQ(b.State(), ibsUp);
  EXPECT_FALSE(port_.captured);
  host_.ButtonUp(MouseButton::Right, {10, 10}, {});
  EXPECT_EQ(Events(), "down up");
}

}  // namespace
}  // namespace kestrun
