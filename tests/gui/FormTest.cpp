// Forms under Wine: real messages to a real window.
#include <gtest/gtest.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "controls/Kspeedbutton.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    button_.SetOnClick([this](gui::GraphicControl&) { ++clicks_; });
    form_.Show();
  }
  gui::Form form_{test::Placed(100, 100, 200, 120), nullptr};
  TKSpeedButton& button_ = form_.Add<TKSpeedButton>(nullptr, gui::Bounds{10, 10, 90, 40});
  int clicks_ = 0;
};

// The form's tip window, once it has made one.
HWND TipWindowOf(HWND form) {
  std::pair<HWND, HWND> find{form, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) {
        auto& [owner, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(param);
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && GetWindow(window, GW_OWNER) == owner) found = window;
        return found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.second;
}

// Another window taking the capture (WM_CAPTURECHANGED) lets the pressed button go. The pointer then
// really moves (SetCursorPos): leaving the window comes as WM_MOUSELEAVE and takes the hover off. The
// tip window is made when the pointer first comes, with every tip added before.
TEST_F(FormTest, CaptureHoverAndTipsFollowTheSystem) {
  HWND h = form_.Handle();
  form_.AddInfoTip(button_, "Saves the marks");
  EXPECT_EQ(TipWindowOf(h), nullptr);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(GetCapture(), h);
  EXPECT_EQ(button_.State(), ibsPressed);
  gui::Form other(test::Placed(400, 100, 50, 50), nullptr);
  SetCapture(other.Handle());
  EXPECT_FALSE(button_.Dragging());
  EXPECT_EQ(button_.State(), ibsUp);
  ReleaseCapture();
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(clicks_, 0);

  button_.SetFlat(true);
  SetCursorPos(100 + 30, 100 + 25);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 25));
  EXPECT_TRUE(button_.MouseInControl());
  const HWND tips = TipWindowOf(h);
  ASSERT_NE(tips, nullptr);
  char text[64] = "";
  TOOLINFOA tool{sizeof tool, 0, h, 1, {}, nullptr, text, 0, nullptr};
  SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, "Saves the marks");
  SetCursorPos(700, 600);
  EXPECT_TRUE(test::WaitFor([this] { return !button_.MouseInControl(); }));
}

// Each click after a throw still works. The error display adds a full stop only after a character
// above '.', bytes taken unsigned.
TEST_F(FormTest, ExceptionFromAHandlerIsShownAndLeavesTheButtonUp) {
  std::string shown;
  gui::Application::Instance().SetErrorDisplay([&](const std::string& text) { shown = text; });
  std::string error;
  button_.SetOnClick([&](gui::GraphicControl&) {
    ++clicks_;
    throw std::runtime_error(error);
  });
  for (const auto& [thrown, expected] : {std::pair{"Failed to get data for 'X'", "Failed to get data for 'X'"},
                                         {"Access denied", "Access denied."}, {"Größe", "Größe."}}) {
    error = thrown;
    shown.clear();
    PostMessageA(form_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    PostMessageA(form_.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(test::WaitFor([&] { return !shown.empty(); }));
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(button_.State(), ibsUp);
    EXPECT_FALSE(button_.Dragging());
  }
  EXPECT_EQ(clicks_, 3);
  gui::Application::Instance().SetErrorDisplay(nullptr);
}

// The main form's activation runs once: not again when a modal form closes, nor when the focus comes
// back from another window. The owner is disabled under the modal form while its timer keeps ticking:
// the owner's timer is what closes the modal form.
TEST(FormActivation, RaisedOnceForTheMainFormAndPerShowingForAModalForm) {
  gui::Form main(test::Placed(50, 50, 300, 200), nullptr);
  int mainActivations = 0, dialogActivations = 0, ticksWhileModal = 0;
  bool ownerDisabled = false;
  gui::Form* modal = nullptr;
  main.SetOnActivate([&](gui::Form&) { ++mainActivations; });
  main.AddTimer(40, [&] {
    if (!modal || !modal->Modal()) return;
    ownerDisabled = !IsWindowEnabled(main.Handle());
    if (++ticksWhileModal == 2) PostMessageA(modal->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  main.Show();
  EXPECT_EQ(mainActivations, 1);
  EXPECT_EQ(GetActiveWindow(), main.Handle());
  for (int round = 0; round < 2; ++round) {
    gui::Form dialog(test::Placed(100, 100, 100, 60), &main);
    dialog.SetOnActivate([&](gui::Form&) { ++dialogActivations; });
    modal = &dialog;
    ticksWhileModal = 0;
    ownerDisabled = false;
    test::Steps safetyNet({}, 10000);
    EXPECT_EQ(dialog.ShowModal(), 2);
    modal = nullptr;
    EXPECT_FALSE(safetyNet.Forced()) << "the owner's timer stopped under the modal form";
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    EXPECT_TRUE(test::WaitFor([&] { return GetActiveWindow() == main.Handle(); }));
  }
  EXPECT_EQ(dialogActivations, 2);
  EXPECT_EQ(mainActivations, 1);

  HWND stranger = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 500, 500, 40, 40, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  SetActiveWindow(stranger);
  EXPECT_TRUE(test::WaitFor([&] { return GetActiveWindow() == stranger; }));
  SetActiveWindow(main.Handle());
  EXPECT_TRUE(test::WaitFor([&] { return GetActiveWindow() == main.Handle(); }));
  EXPECT_EQ(mainActivations, 1);
  DestroyWindow(stranger);
}

}  // namespace
}  // namespace kestrun
