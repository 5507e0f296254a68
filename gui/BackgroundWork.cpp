#include "gui/BackgroundWork.h"

#include <system_error>
#include <utility>

#include "base/ThreadScope.h"

namespace kestrun::gui {
namespace {

void PaintAndAnswer() {
  MSG msg;
  // Peeking delivers the messages other threads sent; only paint messages are taken from the queue.
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) DispatchMessageW(&msg);
}

}  // namespace

BackgroundTask::BackgroundTask(std::function<void()> work)
    : work_(std::move(work)), done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!done_) return;  // Await runs it in place
  try {
    worker_ = std::thread([this] {
      try {
        const ThreadScope scope;
        work_();
      } catch (...) {
        failure_ = std::current_exception();
      }
      SetEvent(done_.Get());
    });
  } catch (const std::system_error&) {
    // no thread to be had: Await runs it in place
  }
}

BackgroundTask::~BackgroundTask() {
  if (!worker_.joinable()) return;
  HANDLE handle = done_.Get();
  while (MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_SENDMESSAGE, 0) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  worker_.join();
}

void BackgroundTask::Await(Form& form) {
  if (!worker_.joinable()) {
    if (work_) std::exchange(work_, nullptr)();
    return;
  }
  const DWORD start = GetTickCount();
  const bool wasBusy = form.Busy();
  HANDLE handle = done_.Get();
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
  worker_.join();
  if (form.Busy() != wasBusy) form.SetBusy(wasBusy);
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void RunInBackground(Form& form, const std::function<void()>& work) {
  BackgroundTask task(work);
  task.Await(form);
}

}  // namespace kestrun::gui
