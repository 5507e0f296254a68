// Forms under Wine: real messages to a real window.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "controls/Kspeedbutton.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "gui/Label.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

gui::FormLayout Placed(int x, int y, int width, int height) {
  gui::FormLayout layout;
  layout.caption = "Form test";
  layout.width = width;
  layout.height = height;
  layout.position = {x, y};
  return layout;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    button_.OnClick = [this](gui::GraphicControl&) { ++clicks_; };
    form_.Show();
    test::Pump(50);
  }
  gui::Form form_{Placed(100, 100, 200, 120), nullptr};
  TKSpeedButton& button_ = form_.Add<TKSpeedButton>(nullptr, gui::Bounds{10, 10, 90, 40});
  int clicks_ = 0;
};

TEST_F(FormTest, PressCapturesTheWindowAndReleaseClicksOnlyInside) {
  HWND h = form_.Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  EXPECT_EQ(GetCapture(), h);
  EXPECT_EQ(button_.State(), ibsPressed);
  SendMessageA(h, WM_LBUTTONUP, 0, At(20, 10 + 39));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(button_.State(), ibsUp);

  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, At(20, 10 + 40));
  EXPECT_EQ(button_.State(), ibsUp);
  SendMessageA(h, WM_LBUTTONUP, 0, At(20, 10 + 40));
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FormTest, CaptureTakenByAnotherWindowLeavesTheButtonUp) {
  HWND h = form_.Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  gui::Form other(Placed(400, 100, 50, 50), nullptr);
  SetCapture(other.Handle());
  EXPECT_FALSE(button_.Dragging());
  EXPECT_EQ(button_.State(), ibsUp);
  ReleaseCapture();
  SendMessageA(h, WM_LBUTTONUP, 0, At(20, 20));
  EXPECT_EQ(clicks_, 0);
}

TEST_F(FormTest, PostedEnterEscapeAndAcceleratorReachTheButtons) {
  button_.SetDefault(true);
  auto& cancel = form_.Add<TKSpeedButton>(nullptr, gui::Bounds{100, 10, 90, 40});
  cancel.SetCancel(true);
  cancel.SetCaption("&Skip");
  int cancels = 0;
  cancel.OnClick = [&](gui::GraphicControl&) { ++cancels; };
  HWND h = form_.Handle();

  PostMessageA(h, WM_KEYDOWN, VK_RETURN, 1);
  test::Pump(50);
  EXPECT_EQ(clicks_, 1);
  SetShift(true);
  PostMessageA(h, WM_KEYDOWN, VK_RETURN, 1);
  test::Pump(50);
  SetShift(false);
  EXPECT_EQ(clicks_, 1);

  PostMessageA(h, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(h, WM_CHAR, 'S', 1);
  PostMessageA(h, WM_SYSCHAR, 's', 1 | (1 << 29));
  test::Pump(50);
  EXPECT_EQ(cancels, 3);

  cancel.SetVisible(false);
  PostMessageA(h, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(h, WM_CHAR, 's', 1);
  test::Pump(50);
  EXPECT_EQ(cancels, 3);
}

void ClickAt(HWND h, int x, int y) {
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  SendMessageA(h, WM_LBUTTONUP, 0, At(x, y));
}

TEST_F(FormTest, ClicksLatchGroupButtonsOnlyWithinTheirGroupAndSkipDisabledOnes) {
  auto& g1a = form_.Add<TKSpeedButton>(nullptr, gui::Bounds{0, 60, 40, 20});
  auto& g1b = form_.Add<TKSpeedButton>(nullptr, gui::Bounds{50, 60, 40, 20});
  auto& g2 = form_.Add<TKSpeedButton>(nullptr, gui::Bounds{100, 60, 40, 20});
  g1a.SetGroupIndex(1);
  g1b.SetGroupIndex(1);
  g2.SetGroupIndex(2);
  HWND h = form_.Handle();
  ClickAt(h, 10, 70);
  ClickAt(h, 110, 70);
  EXPECT_TRUE(g1a.Down());
  EXPECT_TRUE(g2.Down());
  ClickAt(h, 60, 70);
  EXPECT_FALSE(g1a.Down());
  EXPECT_TRUE(g1b.Down());
  EXPECT_TRUE(g2.Down());

  g1a.SetEnabled(false);
  ClickAt(h, 10, 70);
  EXPECT_FALSE(g1a.Down());
  EXPECT_TRUE(g1b.Down());
  g1a.SetVisible(false);
  g1a.SetEnabled(true);
  ClickAt(h, 10, 70);
  EXPECT_FALSE(g1a.Down());
  EXPECT_EQ(GetCapture(), nullptr);
}

// The pointer really moved (SetCursorPos): leaving the window arrives as WM_MOUSELEAVE from the system.
TEST_F(FormTest, PointerEnteringAndLeavingAFlatButtonRaisesHoverEvents) {
  button_.SetFlat(true);
  int enters = 0, leaves = 0;
  button_.OnMouseEnter = [&](gui::GraphicControl&) { ++enters; };
  button_.OnMouseLeave = [&](gui::GraphicControl&) { ++leaves; };
  SetCursorPos(100 + 30, 100 + 25);
  SendMessageA(form_.Handle(), WM_MOUSEMOVE, 0, At(30, 25));
  test::Pump(100);
  EXPECT_EQ(enters, 1);
  EXPECT_TRUE(button_.MouseInControl());
  SetCursorPos(700, 600);
  test::Pump(1000);
  EXPECT_EQ(leaves, 1);
  EXPECT_FALSE(button_.MouseInControl());
  EXPECT_EQ(enters, 1);
}

TEST_F(FormTest, ExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
  std::string shown;
  gui::Application::Instance().SetErrorDisplay([&](const std::string& text) { shown = text; });
  button_.OnClick = [this](gui::GraphicControl&) {
    ++clicks_;
    throw std::runtime_error("Failed to get data for 'X'");
  };
  HWND h = form_.Handle();
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  PostMessageA(h, WM_LBUTTONUP, 0, At(20, 20));
  test::Pump(50);
  EXPECT_EQ(shown, "Failed to get data for 'X'");
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(button_.State(), ibsUp);
  EXPECT_FALSE(button_.Dragging());
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  PostMessageA(h, WM_LBUTTONUP, 0, At(20, 20));
  test::Pump(50);
  EXPECT_EQ(clicks_, 2);
  gui::Application::Instance().SetErrorDisplay(nullptr);
}

TEST(ErrorDisplayText, AppendsAFullStopOnlyAfterHigherCharacters) {
  using gui::Application;
  EXPECT_EQ(Application::ErrorDisplayText("Invalid data type for 'Run'"), "Invalid data type for 'Run'");
  EXPECT_EQ(Application::ErrorDisplayText("Access denied"), "Access denied.");
  EXPECT_EQ(Application::ErrorDisplayText("Done."), "Done.");
  EXPECT_EQ(Application::ErrorDisplayText("Why?"), "Why?.");
  EXPECT_EQ(Application::ErrorDisplayText("Stop!"), "Stop!");
  EXPECT_EQ(Application::ErrorDisplayText("Größe"), "Größe.");
  EXPECT_EQ(Application::ErrorDisplayText(""), "");
}

// The main form's activation runs once: not again when a modal form closes, nor when the focus comes
// back from another window.
TEST(FormActivation, RaisedOnceForTheMainFormAndPerShowingForAModalForm) {
  gui::Form main(Placed(50, 50, 300, 200), nullptr);
  int mainActivations = 0, dialogActivations = 0, ticks = 0;
  main.OnActivate = [&](gui::Form&) { ++mainActivations; };
  main.AddTimer(40, [&] { ++ticks; });
  main.Show();
  test::Pump(100);
  EXPECT_EQ(mainActivations, 1);
  EXPECT_EQ(GetActiveWindow(), main.Handle());

  for (int round = 0; round < 2; ++round) {
    gui::Form dialog(Placed(100, 100, 100, 60), &main);
    dialog.OnActivate = [&](gui::Form&) { ++dialogActivations; };
    bool ownerDisabled = false;
    int ticksBefore = ticks;
    test::Steps steps({[&] { ownerDisabled = !IsWindowEnabled(main.Handle()); }, [] {}, [] {},
                       [&] { PostMessageA(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
    EXPECT_EQ(dialog.ShowModal(), 2);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_GT(ticks, ticksBefore + 3);  // the owner's timer kept firing inside the modal loop
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    test::Pump(100);
    EXPECT_EQ(GetActiveWindow(), main.Handle());
  }
  EXPECT_EQ(dialogActivations, 2);
  EXPECT_EQ(mainActivations, 1);

  HWND stranger = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 500, 500, 40, 40, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  SetActiveWindow(stranger);
  test::Pump(50);
  SetActiveWindow(main.Handle());
  test::Pump(50);
  EXPECT_EQ(GetActiveWindow(), main.Handle());
  EXPECT_EQ(mainActivations, 1);
  DestroyWindow(stranger);
}

TEST(FormModal, ResultSetByAHandlerEndsTheLoopAndCloseGivesTwo) {
  gui::Form dialog(Placed(100, 100, 100, 60), nullptr);
  auto& ok = dialog.Add<TKSpeedButton>(nullptr, gui::Bounds{0, 0, 50, 20});
  ok.OnClick = [&](gui::GraphicControl&) { dialog.SetModalResult(6); };
  test::Steps click({[&] {
    PostMessageA(dialog.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    PostMessageA(dialog.Handle(), WM_LBUTTONUP, 0, At(5, 5));
  }});
  EXPECT_EQ(dialog.ShowModal(), 6);
  EXPECT_FALSE(dialog.Visible());
  {
    test::Steps close({[&] { PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0); }});
    EXPECT_EQ(dialog.ShowModal(), 2);
  }
}

TEST(LabelText, AutoSizeFollowsTextAndNoPrefixDrawsTheAmpersand) {
  gui::LabelStyle style;
  style.text = "Wide text here";
  gui::Label label({0, 0, 5, 5}, style);
  EXPECT_GT(label.Width(), 40);
  int wide = label.Width();
  label.SetText("W");
  EXPECT_LT(label.Width(), wide);
  EXPECT_GT(label.Height(), 8);

  EXPECT_EQ(label.DrawFlags() & DT_NOPREFIX, 0u);
  label.SetShowAccelChar(false);
  EXPECT_NE(label.DrawFlags() & DT_NOPREFIX, 0u);
  EXPECT_EQ(label.DrawFlags() & DT_WORDBREAK, 0u);
}

}  // namespace
}  // namespace kestrun
