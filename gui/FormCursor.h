#pragma once
// The pointer's shape over a form: the wait cursor anywhere while the form is busy, else the cursor of
// the windowless control under it, else the class's arrow.
#include <windows.h>

namespace kestrun::gui {

class ControlHost;

class FormCursor {
 public:
  explicit FormCursor(const ControlHost& host) : host_(host) {}
  FormCursor(const FormCursor&) = delete;
  FormCursor& operator=(const FormCursor&) = delete;

  [[nodiscard]] bool Busy() const { return busy_; }
  // The shape changes at once, not only when the pointer next moves.
  void SetBusy(HWND window, bool busy);
  // WM_SETCURSOR to window: true when the shape was set here, false to leave it to the default.
  bool Answer(HWND window, LPARAM lParam) const;

 private:
  const ControlHost& host_;
  bool busy_ = false;
};

}  // namespace kestrun::gui
