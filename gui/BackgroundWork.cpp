#include "gui/BackgroundWork.h"

#include <exception>
#include <thread>

#include "base/Handles.h"

namespace kestrun::gui {
namespace {

struct EventTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

void PaintAndAnswer() {
  MSG msg;
  // Peeking delivers the messages other threads sent; only paint messages are taken from the queue.
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) DispatchMessageW(&msg);
}

}  // namespace

void RunInBackground(Form& form, const std::function<void()>& work) {
  UniqueHandle<EventTraits> done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!done) {
    work();
    return;
  }
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    SetEvent(done.Get());
  });
  const DWORD start = GetTickCount();
  const bool wasBusy = form.Busy();
  HANDLE handle = done.Get();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD timeout = form.Busy() ? INFINITE : (elapsed < kBusyCursorDelay ? kBusyCursorDelay - elapsed : 0);
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &handle, timeout, QS_SENDMESSAGE | QS_PAINT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) break;
    if (woke == WAIT_TIMEOUT)
      form.SetBusy(true);
    else if (woke == WAIT_FAILED)
      WaitForSingleObject(handle, INFINITE);
    else
      PaintAndAnswer();
  }
  worker.join();
  if (form.Busy() != wasBusy) form.SetBusy(wasBusy);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kestrun::gui
