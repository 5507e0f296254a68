#include "gui/SingleInstance.h"

#include "gui/Form.h"

namespace kestrun::gui {

// A mutex that cannot be made (no rights, no resources) must not keep the program from starting.
SingleInstance::SingleInstance(const std::string& mutexName)
    : mutex_(CreateMutexA(nullptr, FALSE, mutexName.c_str())) {
  first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool BringRunningWindowToFront(const std::string& caption, DWORD waitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND main = FindWindowA(Form::ClassName(), caption.c_str());
    if (main && IsWindowVisible(main)) {
      if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
      HWND front = GetLastActivePopup(main);
      SetForegroundWindow(front && IsWindowVisible(front) ? front : main);
      return true;
    }
    if (GetTickCount() - start >= waitMs) return false;
    Sleep(100);
  }
}

}  // namespace kestrun::gui
