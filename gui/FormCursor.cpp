#include "gui/FormCursor.h"

#include "gui/ControlHost.h"

namespace kestrun::gui {

void FormCursor::SetBusy(HWND window, bool busy) {
  busy_ = busy;
  POINT point;
  if (!window || !GetCursorPos(&point)) return;
  HWND under = WindowFromPoint(point);
  if (!under || (under != window && !IsChild(window, under))) return;
  const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

bool FormCursor::Answer(HWND window, LPARAM lParam) const {
  if (busy_) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    return true;
  }
  if (LOWORD(lParam) != HTCLIENT) return false;
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(window, &point);
  GraphicControl* control = host_.ControlAt(point, false);
  if (!control || !control->Cursor()) return false;
  SetCursor(control->Cursor());
  return true;
}

}  // namespace kestrun::gui
