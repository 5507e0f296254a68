#include "gui/ModalLoop.h"

#include <algorithm>

#include "gui/Application.h"

namespace kestrun::gui {

namespace {

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM lParam) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(lParam);
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) list->push_back(hwnd);
  return TRUE;
}

}  // namespace

DisabledWindows::DisabledWindows(HWND except) {
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&windows_));
  std::erase(windows_, except);
  for (HWND hwnd : windows_) EnableWindow(hwnd, FALSE);
}

void DisabledWindows::Restore() {
  for (HWND hwnd : windows_) EnableWindow(hwnd, TRUE);
  windows_.clear();
}

bool PumpUntil(const std::function<bool()>& done) {
  Application& app = Application::Instance();
  while (!done()) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (got == -1) return false;
    app.Dispatch(msg);
  }
  return true;
}

}  // namespace kestrun::gui
