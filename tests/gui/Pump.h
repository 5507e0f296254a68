#pragma once
// Placing, pumping and timed steps for window tests: steps run from a thread timer, so they also run
// inside the nested loop of a modal form.
#include <windows.h>

#include <functional>
#include <map>
#include <vector>

#include "gui/Application.h"
#include "gui/Form.h"

namespace kestrun::test {

inline gui::FormLayout Placed(int x, int y, int width, int height) {
  return {.width = width, .height = height, .position = {x, y}};
}

inline void ClickOn(gui::Form& form, gui::GraphicControl& control) {
  RECT r = form.Host().ClientRectOf(control);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(form.Handle(), WM_LBUTTONUP, 0, at);
}

// Runs every message that arrives within ms milliseconds through the application's dispatch.
inline void Pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) gui::Application::Instance().Dispatch(msg);
    Sleep(5);
  }
}

// Pumps until done() holds, for at most limitMs: a test waits for the event it expects, never for a
// fixed time. done() is asked only between messages, never inside a handler (or the modal loop it runs).
inline bool WaitFor(const std::function<bool()>& done, DWORD limitMs = 10000) {
  const DWORD end = GetTickCount() + limitMs;
  while (!done() && static_cast<LONG>(end - GetTickCount()) > 0) Pump(10);
  return done();
}

// One step per tick; once the steps are done, closes an active modal form so a test cannot hang.
class Steps {
 public:
  explicit Steps(std::vector<std::function<void()>> steps, UINT interval = 150) : steps_(std::move(steps)) {
    id_ = SetTimer(nullptr, 0, interval, &Steps::Tick);
    running_[id_] = this;
  }
  Steps(const Steps&) = delete;
  Steps& operator=(const Steps&) = delete;
  ~Steps() {
    KillTimer(nullptr, id_);
    running_.erase(id_);
  }
  [[nodiscard]] bool Forced() const { return forced_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = running_.find(id);
    if (found == running_.end()) return;
    Steps* self = found->second;
    if (self->next_ < self->steps_.size()) {
      self->steps_[self->next_++]();
    } else if (gui::Form* form = gui::Form::FromHandle(GetActiveWindow()); form && form->Modal()) {
      self->forced_ = true;
      PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    }
  }

  // Steps can nest (a box opened from a dialog's step): each timer finds its own.
  static inline std::map<UINT_PTR, Steps*> running_;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  bool forced_ = false;
  UINT_PTR id_ = 0;
};

}  // namespace kestrun::test
