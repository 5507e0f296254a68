#pragma once
// Calls that reach a form through its window's message queue, so they run on the form's own thread and
// inside any message loop, modal ones included: timer ticks, and calls handed over from other threads.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "gui/Timer.h"

namespace kestrun::gui {

class QueuedCalls {
 public:
  QueuedCalls() = default;
  QueuedCalls(const QueuedCalls&) = delete;
  QueuedCalls& operator=(const QueuedCalls&) = delete;

  // A timer on window, running at once; it lives as long as these calls or until StopTimers.
  Timer& AddTimer(HWND window, UINT interval, std::function<void()> onTimer);
  void StopTimers() { timers_.clear(); }
  // From any thread: runs call on the thread of window and returns once it has run there (at once
  // when that is this thread, or when there is no window to hand it to).
  static void RunOnThreadOf(HWND window, const std::function<void()>& call);
  // A tick of one of the timers, or a call handed over: run here. Empty for any other message.
  std::optional<LRESULT> Deliver(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  UINT_PTR nextTimerId_ = 1;
  std::vector<std::unique_ptr<Timer>> timers_;
};

}  // namespace kestrun::gui
