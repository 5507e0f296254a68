#include "gui/QueuedCalls.h"

namespace kestrun::gui {

namespace {

// Sent with the address of the call as lParam; the sender waits, so the call outlives the message.
const UINT kRunCallMessage = RegisterWindowMessageA("Kestrun.RunOnOwnThread");

}  // namespace

Timer& QueuedCalls::AddTimer(HWND window, UINT interval, std::function<void()> onTimer) {
  timers_.push_back(std::make_unique<Timer>(window, nextTimerId_++, interval, std::move(onTimer)));
  return *timers_.back();
}

void QueuedCalls::RunOnThreadOf(HWND window, const std::function<void()>& call) {
  if (!window || GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    call();
    return;
  }
  SendMessageA(window, kRunCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

std::optional<LRESULT> QueuedCalls::Deliver(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunCallMessage && lParam) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  if (message != WM_TIMER) return std::nullopt;
  for (auto& timer : timers_)
    if (timer->Id() == wParam) {
      timer->Fire();
      return 0;
    }
  return std::nullopt;
}

}  // namespace kestrun::gui
