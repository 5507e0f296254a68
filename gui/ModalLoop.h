#pragma once
// What showing a form modally takes besides the form: the thread's other windows disabled while it is
// up, and a loop that dispatches the thread's messages until the form is done.
#include <windows.h>

#include <functional>
#include <vector>

namespace kestrun::gui {

// The modal result of a form closed without one (the system's close command, a quit): the user
// cancelled. The platform's own number, so a message box answers as the platform's box would.
inline constexpr int kModalCancel = IDCANCEL;

// Disables every visible, enabled window of this thread but one; Restore (or the end of the guard)
// enables them again.
class DisabledWindows {
 public:
  explicit DisabledWindows(HWND except);
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;
  ~DisabledWindows() { Restore(); }
  void Restore();

 private:
  std::vector<HWND> windows_;  // not owned
};

// Dispatches this thread's messages until done() holds. False when the loop had to end otherwise: the
// application quits (the quit is posted again for the outer loop) or the queue fails.
bool PumpUntil(const std::function<bool()>& done);

}  // namespace kestrun::gui
