// Work on a worker thread while the form stays answering: the form paints and takes sent messages,
// takes no input meanwhile, shows the wait cursor after a moment, and the work's exception comes back.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <thread>

#include "gui/BackgroundWork.h"
#include "gui/Panel.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

TEST(BackgroundWork, TheFormAnswersAndTakesNoInputUntilTheWorkIsDone) {
  gui::Form form(test::Placed(239, 158, 200, 100), nullptr);
  auto& panel = form.Add<gui::Panel>(nullptr, gui::Bounds{0, 0, 200, 100}, gui::PanelStyle{});
  int clicks = 0;
  panel.SetOnClick([&](gui::GraphicControl&) { ++clicks; });
  form.Show();
  SetCursorPos(239 + 100, 158 + 50);
  test::Pump(300);

  const DWORD guiThread = GetCurrentThreadId();
  DWORD workThread = 0, callThread = 0;
  int clicksDuringWork = -1;
  bool busyDuringWork = false;
  HCURSOR cursorDuringWork = nullptr;
  int answered = 0;
  gui::RunInBackground(form, [&] {
    workThread = GetCurrentThreadId();
    PostMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    PostMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    // Another thread's messages are answered: a form blocked by the wait lets each of them time out.
    for (int i = 0; i < 20; ++i) {
      DWORD_PTR result = 0;
      answered += SendMessageTimeoutA(form.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
      Sleep(15);
    }
    if (answered < 20) return;  // the call below would wait for ever
    form.RunOnOwnThread([&] {
      callThread = GetCurrentThreadId();
      clicksDuringWork = clicks;
      busyDuringWork = form.Busy();
      cursorDuringWork = GetCursor();
    });
  });
  EXPECT_NE(workThread, guiThread);
  EXPECT_EQ(callThread, guiThread);
  EXPECT_EQ(answered, 20);
  EXPECT_EQ(clicksDuringWork, 0);
  EXPECT_TRUE(busyDuringWork);  // the work took longer than the wait cursor's delay
  EXPECT_EQ(cursorDuringWork, LoadCursor(nullptr, IDC_WAIT));  // at once, the pointer did not move
  EXPECT_FALSE(form.Busy());
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  test::Pump(100);
  EXPECT_EQ(clicks, 1);  // the click waited for the work, and was not lost
}

TEST(BackgroundWork, AnExceptionOfTheWorkIsRaisedOnTheCallingThread) {
  gui::Form form(test::Placed(239, 158, 200, 100), nullptr);
  form.Show();
  EXPECT_THROW(gui::RunInBackground(form, [] { throw std::runtime_error("registry"); }), std::runtime_error);
  EXPECT_FALSE(form.Busy());
  int ran = 0;
  gui::RunInBackground(form, [&] { ++ran; });  // short work: no wait cursor at all
  EXPECT_EQ(ran, 1);
  EXPECT_FALSE(form.Busy());
}

}  // namespace
}  // namespace kestrun
