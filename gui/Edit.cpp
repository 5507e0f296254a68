#include "gui/Edit.h"

#include <vector>

namespace kestrun::gui {

Edit Edit::Create(HWND parent, const RECT& rect, HFONT font) {
  HWND hwnd = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, rect.left,
                              rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return Edit();
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);  // 0: the largest length the control supports
  return Edit(hwnd);
}

std::string Edit::Text() const {
  int length = GetWindowTextLengthA(hwnd_);
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int got = GetWindowTextA(hwnd_, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void Edit::SetText(const std::string& text) const { SetWindowTextA(hwnd_, text.c_str()); }

void Edit::Focus() const { SetFocus(hwnd_); }

}  // namespace kestrun::gui
