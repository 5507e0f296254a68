#pragma once
// A WM_TIMER timer on a form's window; its ticks arrive through any message loop, modal ones included.
#include <windows.h>

#include <functional>

namespace kestrun::gui {

class Timer {
 public:
  Timer(HWND window, UINT_PTR id, UINT interval, std::function<void()> onTimer);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  ~Timer() { Stop(); }

  [[nodiscard]] UINT_PTR Id() const { return id_; }
  [[nodiscard]] UINT Interval() const { return interval_; }
  [[nodiscard]] bool Enabled() const { return running_; }
  void SetEnabled(bool enabled) { enabled ? Start() : Stop(); }
  void Start();
  void Stop();
  void Fire() {
    if (onTimer_) onTimer_();
  }

 private:
  std::function<void()> onTimer_;
  HWND window_;  // not owned
  UINT_PTR id_;
  UINT interval_;
  bool running_ = false;
};

}  // namespace kestrun::gui
