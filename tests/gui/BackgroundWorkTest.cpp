// Work on a worker thread while the form stays answering: the form paints and takes sent messages,
// takes no input meanwhile, shows the wait cursor after a moment but never for short work, and the
// work's exception comes back.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <stdexcept>

#include "gui/BackgroundWork.h"
#include "gui/Panel.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

// Counts the times the form set the pointer's shape while busy: the wait cursor, however briefly. The
// pointer rests on the form, so each change of the busy state asks it.
class WatchedForm : public gui::Form {
 public:
  WatchedForm() : gui::Form(test::Placed(239, 158, 200, 100), nullptr) {
    Show();
    SetCursorPos(239 + 100, 158 + 50);
    EXPECT_TRUE(test::WaitFor([this] { return WindowFromPoint({239 + 100, 158 + 50}) == Handle(); }));
  }
  [[nodiscard]] int WaitShown() const { return waitShown_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SETCURSOR && Busy()) ++waitShown_;
    return gui::Form::HandleMessage(message, wParam, lParam);
  }

 private:
  int waitShown_ = 0;
};

TEST(BackgroundWork, TheFormAnswersAndTakesNoInputUntilTheWorkIsDone) {
  WatchedForm form;
  auto& panel = form.Add<gui::Panel>(nullptr, gui::Bounds{0, 0, 200, 100}, gui::PanelStyle{});
  int clicks = 0;
  panel.SetOnClick([&](gui::GraphicControl&) { ++clicks; });

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
    }
    if (answered < 20) return;  // the calls below would wait for ever
    // The wait cursor comes after a moment: look until it has, for ten seconds at most.
    for (int i = 0; i < 1000 && !busyDuringWork; ++i, Sleep(10))
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
  EXPECT_TRUE(busyDuringWork);
  EXPECT_EQ(cursorDuringWork, LoadCursor(nullptr, IDC_WAIT));  // at once, the pointer did not move
  EXPECT_GT(form.WaitShown(), 0);
  EXPECT_FALSE(form.Busy());
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  EXPECT_TRUE(test::WaitFor([&] { return clicks > 0; }));
  EXPECT_EQ(clicks, 1);  // the click waited for the work, and was not lost
}

TEST(BackgroundWork, AnExceptionOfTheWorkIsRaisedOnTheCallingThreadAndShortWorkShowsNoWaitCursor) {
  WatchedForm form;
  EXPECT_THROW(gui::RunInBackground(form, [] { throw std::runtime_error("registry"); }), std::runtime_error);
  EXPECT_FALSE(form.Busy());
  const int shownBefore = form.WaitShown();
  int ran = 0;
  const DWORD start = GetTickCount();
  gui::RunInBackground(form, [&] { ++ran; });
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(ran, 1);
  // Only a machine too loaded to end the work within the delay may show it.
  if (took < gui::kBusyCursorDelay) {
    EXPECT_EQ(form.WaitShown(), shownBefore) << "the wait cursor flickered";
  }
  EXPECT_FALSE(form.Busy());
}

// Begun as the window is made, taken at its first activation: the work runs without waiting for Await,
// and a task dropped unawaited still answers what its work asks of the form's thread before it goes.
TEST(BackgroundWork, ATaskRunsAtOnceAndOneNeverAwaitedAnswersItsWorkBeforeItGoes) {
  WatchedForm form;
  std::atomic<bool> ran = false;
  {
    gui::BackgroundTask task([&] { ran = true; });
    EXPECT_TRUE(test::WaitFor([&] { return ran.load(); }));
    task.Await(form);
  }
  DWORD callThread = 0;
  { gui::BackgroundTask dropped([&] { form.RunOnOwnThread([&] { callThread = GetCurrentThreadId(); }); }); }
  EXPECT_EQ(callThread, GetCurrentThreadId());
  gui::BackgroundTask failing([] { throw std::runtime_error("registry"); });
  EXPECT_THROW(failing.Await(form), std::runtime_error);
}

}  // namespace
}  // namespace kestrun
