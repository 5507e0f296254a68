// The button driven through the control host without a window: its state machine, then its faces.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "controls/Kspeedbutton.h"
#include "gui/ControlHost.h"
#include "gui/Gdi.h"
#include "gui/Panel.h"

namespace kestrun {
namespace {

using gui::MouseButton;
using gui::ShiftState;

// A window-less stand-in for a form: records what the host asks of the window.
class FakePort : public gui::HostPort {
 public:
  void SetCapture() override { captured = true; }
  void ReleaseCapture() override { captured = false; }
  [[nodiscard]] bool CaptureHeld() const override { return captured || otherWindowCaptures; }
  void TrackMouseLeave() override {}
  void InvalidateRect(const RECT&) override { ++invalidations; }
  [[nodiscard]] std::optional<POINT> CursorPos() const override { return cursor; }
  [[nodiscard]] bool Showing() const override { return showing; }

  bool captured = false;
  bool otherWindowCaptures = false;
  bool showing = true;
  int invalidations = 0;
  std::optional<POINT> cursor;
};

class SpeedButtonTest : public ::testing::Test {
 protected:
  TKSpeedButton& AddButton(gui::Bounds bounds, gui::GraphicControl* parent = nullptr) {
    buttons_.push_back(std::make_unique<TKSpeedButton>(bounds));
    host_.Add(*buttons_.back(), parent);
    return *buttons_.back();
  }
  // Logs the button's events, each under name when one is given.
  void Log(TKSpeedButton& b, const std::string& name = "") {
    b.SetOnMouseDown([this, name](gui::GraphicControl&, MouseButton, ShiftState, int, int) { Note(name + "down"); });
    b.SetOnMouseMove([this, name](gui::GraphicControl&, ShiftState, int, int) { Note(name + "move"); });
    b.SetOnMouseUp([this, name](gui::GraphicControl&, MouseButton, ShiftState, int, int) { Note(name + "up"); });
    b.SetOnClick([this, name](gui::GraphicControl&) { Note(name + "click"); });
    b.SetOnDblClick([this, name](gui::GraphicControl&) { Note(name + "dblclick"); });
    b.SetOnMouseEnter([this, name](gui::GraphicControl&) { Note(name + "enter"); });
    b.SetOnMouseLeave([this, name](gui::GraphicControl&) { Note(name + "leave"); });
  }
  void Note(const std::string& event) { log_ += (log_.empty() ? "" : " ") + event; }
  // The events logged since the last call, space-separated.
  std::string Events() { return std::exchange(log_, {}); }
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

  FakePort port_;
  gui::ControlHost host_{port_};
  std::vector<std::unique_ptr<TKSpeedButton>> buttons_;
  std::string log_;
};

// Leave is held back while the button is pressed and comes with the release outside. A capture taken
// elsewhere means no release will come, so the button lets go and raises no click.
TEST_F(SpeedButtonTest, PressFollowsThePointerAndEndsOnReleaseOrLostCapture) {
  TKSpeedButton& b = AddButton({10, 10, 90, 40});
  b.SetFlat(true);
  Log(b);
  Move(20, 20);
  EXPECT_EQ(Events(), "move enter");
  Down(20, 20);
  EXPECT_TRUE(port_.captured);
  EXPECT_EQ(b.State(), ibsPressed);
  Move(200, 20);
  EXPECT_EQ(b.State(), ibsUp);
  Move(30, 30);
  EXPECT_EQ(b.State(), ibsPressed);
  Up(30, 30);
  EXPECT_EQ(Events(), "down move move click enter up");
  EXPECT_FALSE(port_.captured);
  EXPECT_EQ(b.State(), ibsUp);
  EXPECT_TRUE(b.MouseInControl());
  Down(30, 30);
  Move(200, 21);
  Up(200, 21);
  EXPECT_EQ(Events(), "down move leave up");
  EXPECT_EQ(b.State(), ibsUp);
  EXPECT_FALSE(b.Dragging());
  EXPECT_FALSE(b.MouseInControl());

  Move(20, 20);
  Down(20, 20);
  host_.CaptureChanged();
  EXPECT_FALSE(b.Dragging());
  EXPECT_EQ(b.State(), ibsUp);
  Up(20, 20);
  EXPECT_EQ(Events(), "move enter down up");
}

// The last pixel row (Y = height - 1) is inside, the row below is not; every release repaints, even
// one with no move reported outside, so no face stays pressed.
TEST_F(SpeedButtonTest, ReleaseClicksOnlyInsideUpToTheLastPixelRow) {
  TKSpeedButton& plain = AddButton({10, 10, 90, 40});
  TKSpeedButton& group = AddButton({10, 100, 90, 40});
  group.SetGroupIndex(1);
  int clicks = 0;
  const auto count = [&](gui::GraphicControl&) { ++clicks; };
  plain.SetOnClick(count);
  group.SetOnClick(count);
  using Case = std::tuple<TKSpeedButton*, POINT, int, TImageButtonState>;  // button, release, clicks, state
  // Without AllowAllUp, a second click on the latched button leaves it latched.
  for (auto [button, release, clicked, state] :
       {Case{&plain, {20, 10 + 39}, 1, ibsUp}, Case{&plain, {20, 10 + 40}, 0, ibsUp},
        Case{&plain, {10 + 90, 20}, 0, ibsUp}, Case{&group, {20, 100 + 39}, 1, ibsExclusive},
        Case{&group, {20, 100 + 40}, 0, ibsExclusive}, Case{&group, {20, 100 + 39}, 1, ibsExclusive}}) {
    SCOPED_TRACE(testing::Message() << "release at " << release.x << "," << release.y);
    int clicksBefore = clicks;
    Down(20, button->Top() + 10);
    int paintsBefore = port_.invalidations;
    Up(release.x, release.y);
    EXPECT_EQ(clicks - clicksBefore, clicked);
    EXPECT_EQ(button->State(), state);
    EXPECT_EQ(button->Down(), state == ibsExclusive);
    EXPECT_GT(port_.invalidations, paintsBefore);
  }
}

// The click is raised before the latch; groups 1 and 2 latch independently; AllowAllUp is shared by
// the group; disabled and hidden buttons take no press at all.
TEST_F(SpeedButtonTest, ClicksLatchExclusivelyWithinTheirGroup) {
  gui::Panel panel({0, 0, 400, 100}, gui::PanelStyle{});
  host_.Add(panel, nullptr);
  TKSpeedButton& a = AddButton({0, 0, 50, 20}, &panel);
  TKSpeedButton& b = AddButton({60, 0, 50, 20}, &panel);
  TKSpeedButton& c = AddButton({120, 0, 50, 20}, &panel);
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  c.SetGroupIndex(2);
  int aClicks = 0;
  bool downAtClick = true;
  a.SetOnClick([&](gui::GraphicControl&) {
    ++aClicks;
    downAtClick = a.Down();
  });
  Click(10, 10);
  Click(130, 10);
  EXPECT_FALSE(downAtClick);
  EXPECT_TRUE(a.Down());
  EXPECT_TRUE(c.Down());
  Click(70, 10);
  EXPECT_FALSE(a.Down());
  EXPECT_EQ(a.State(), ibsUp);
  EXPECT_TRUE(b.Down());
  EXPECT_TRUE(c.Down());
  a.SetAllowAllUp(true);
  EXPECT_TRUE(b.AllowAllUp());
  EXPECT_FALSE(c.AllowAllUp());
  Click(70, 10);
  EXPECT_FALSE(b.Down());

  a.SetEnabled(false);
  Click(10, 10);
  a.SetEnabled(true);
  a.SetVisible(false);
  Click(10, 10);
  EXPECT_EQ(aClicks, 1);
  EXPECT_FALSE(a.Down());
  EXPECT_FALSE(port_.captured);
  buttons_.clear();
}

// Enter and Escape (only without modifiers) and the caption's accelerator (in any case) go to the
// first button in control order that is enabled and visible on a visible parent.
TEST_F(SpeedButtonTest, KeysGoToTheFirstQualifyingButton) {
  gui::Panel panel({0, 40, 400, 40}, gui::PanelStyle{});
  host_.Add(panel, nullptr);
  TKSpeedButton& onPanel = AddButton({0, 0, 50, 20}, &panel);
  TKSpeedButton& ok = AddButton({0, 0, 50, 20});
  TKSpeedButton& first = AddButton({60, 0, 50, 20});
  TKSpeedButton& second = AddButton({120, 0, 50, 20});
  onPanel.SetDefault(true);
  onPanel.SetCaption("&Save");
  ok.SetDefault(true);
  first.SetCancel(true);
  first.SetCaption("Fish && &Chips");
  second.SetCancel(true);
  Log(onPanel, "panel:");
  Log(ok, "ok:");
  Log(first, "first:");
  Log(second, "second:");
  EXPECT_FALSE(host_.DialogKey(VK_RETURN, ShiftState{.shift = true}));
  EXPECT_FALSE(host_.DialogKey(VK_ESCAPE, ShiftState{.ctrl = true}));
  EXPECT_FALSE(host_.DialogKey(VK_SPACE, {}));
  EXPECT_FALSE(host_.DialogChar('&'));  // "&&" is a literal ampersand
  EXPECT_TRUE(host_.DialogKey(VK_RETURN, {}));
  EXPECT_TRUE(host_.DialogKey(VK_ESCAPE, {}));
  EXPECT_TRUE(host_.DialogChar('S'));
  EXPECT_TRUE(host_.DialogChar('c'));
  panel.SetVisible(false);
  first.SetVisible(false);
  EXPECT_TRUE(host_.DialogKey(VK_RETURN, {}));
  EXPECT_TRUE(host_.DialogKey(VK_ESCAPE, {}));
  EXPECT_FALSE(host_.DialogChar('s'));
  EXPECT_FALSE(host_.DialogChar('c'));
  first.SetVisible(true);
  first.SetEnabled(false);
  EXPECT_TRUE(host_.DialogKey(VK_ESCAPE, {}));
  EXPECT_FALSE(host_.DialogChar('c'));
  first.SetEnabled(true);
  port_.showing = false;
  EXPECT_FALSE(host_.DialogChar('c'));
  EXPECT_EQ(Events(), "panel:click first:click panel:click first:click ok:click second:click second:click");
  buttons_.clear();
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
  flat.SetEnabled(true);  // the pointer is over it: enabling re-runs tracking
  EXPECT_EQ(Events(), "enter");
  host_.MouseLeft();
  EXPECT_EQ(Events(), "leave");
}

constexpr COLORREF kBackground = RGB(0, 128, 0);
// The images for the idle, disabled, hot and pressed slots, in that order.
constexpr COLORREF kFaces[] = {RGB(255, 0, 0), RGB(1, 1, 1), RGB(0, 0, 255), RGB(255, 255, 0)};

// A 40 x 20 button (flat ones bordered), one 8 x 8 image per face, painted onto a 50 x 30 green surface.
struct Rig {
  explicit Rig(bool flat) {
    UniqueGdiObject strip(CreateCompatibleBitmap(screen.Get(), 32, 8));
    {
      gui::UniqueDc paint(CreateCompatibleDC(screen.Get()));
      gui::SelectObjectGuard select(paint.Get(), strip.Get());
      for (int slot = 0; slot < 4; ++slot) gui::FillSolid(paint.Get(), {slot * 8, 0, slot * 8 + 8, 8}, kFaces[slot]);
    }
    images.Add(static_cast<HBITMAP>(strip.Get()));  // the list cuts the strip into four 8 x 8 images
    host.Add(button, nullptr);
    button.SetImages(&images);
    button.SetImageIndexIDLE(0);
    button.SetImageIndexDisabled(1);
    button.SetImageIndexUp(2);
    button.SetImageIndexDown(3);
    button.SetFlat(flat);
    button.SetDrawBorderInFlatMode(true);
    port.cursor = POINT{10, 10};
  }

  FakePort port;
  gui::ControlHost host{port};
  gui::ImageList images{8, 8};
  TKSpeedButton button{{0, 0, 40, 20}};
  gui::WindowDc screen{nullptr};
  gui::UniqueDc dc{CreateCompatibleDC(screen.Get())};
  UniqueGdiObject surface{CreateCompatibleBitmap(screen.Get(), 50, 30)};
  gui::SelectObjectGuard select{dc.Get(), surface.Get()};
};

// The image sits at (2, 2) inside the push-button frame and at (1, 1) inside the flat border; an edge
// shows as anything but background at (0, 0), and a flat face leaves the rest to the parent.
TEST(SpeedButtonPaint, EachFaceDrawsItsImageAndEdge) {
  // What it shows, whether flat, how to get there, which image, whether an edge is drawn.
  using Face = std::tuple<const char*, bool, std::function<void(Rig&)>, int, bool>;
  auto hover = [](Rig& r) { r.host.MouseMove({10, 10}, {}); };
  auto press = [](Rig& r) { r.host.ButtonDown(gui::MouseButton::Left, {10, 10}, {}, false); };
  auto disable = [](Rig& r) { r.button.SetEnabled(false); };
  auto disableThenEnable = [](Rig& r) {
    r.button.SetEnabled(false);
    r.button.Paint(r.dc.Get());
    r.port.cursor.reset();  // with the pointer over it, enabling would make it hot
    r.button.SetEnabled(true);
  };
  const std::vector<Face> faces{
      {"push idle", false, [](Rig&) {}, 0, true},     {"push pressed keeps the idle image", false, press, 0, true},
      {"flat idle", true, [](Rig&) {}, 0, false},     {"flat hot", true, hover, 2, true},
      {"flat pressed", true, press, 3, true},         {"flat disabled", true, disable, 1, false},
      {"enabled again", true, disableThenEnable, 0, false},
  };
  for (const auto& [name, flat, reach, slot, edge] : faces) {
    SCOPED_TRACE(name);
    Rig rig(flat);
    reach(rig);
    gui::FillSolid(rig.dc.Get(), {0, 0, 50, 30}, kBackground);
    rig.button.Paint(rig.dc.Get());
    int at = flat ? 1 : 2;
    EXPECT_EQ(GetPixel(rig.dc.Get(), at, at), kFaces[slot]);
    EXPECT_EQ(GetPixel(rig.dc.Get(), 0, 0) != kBackground, edge);
    if (flat) {
      EXPECT_EQ(GetPixel(rig.dc.Get(), 30, 15), kBackground);
    }
  }
}

}  // namespace
}  // namespace kestrun
