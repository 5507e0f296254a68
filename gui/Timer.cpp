#include "gui/Timer.h"

namespace kestrun::gui {

Timer::Timer(HWND window, UINT_PTR id, UINT interval, std::function<void()> onTimer)
    : onTimer_(std::move(onTimer)), window_(window), id_(id), interval_(interval) {
  Start();
}

void Timer::Start() { running_ = SetTimer(window_, id_, interval_, nullptr) != 0; }

void Timer::Stop() {
  if (running_) KillTimer(window_, id_);
  running_ = false;
}

}  // namespace kestrun::gui
