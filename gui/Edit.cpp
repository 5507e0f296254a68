#include "gui/Edit.h"

#include <commctrl.h>

#include <vector>

#include "base/Text.h"

namespace kestrun::gui {

Edit Edit::Create(HWND parent, const RECT& rect, HFONT font) {
  // A Unicode edit: whatever the code page, it shows and hands back every name exactly.
  HWND hwnd = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, rect.left,
                              rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return Edit();
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);  // 0: the largest length the control supports
  return Edit(hwnd);
}

std::string Edit::Text() const {
  int length = GetWindowTextLengthW(hwnd_);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  int got = GetWindowTextW(hwnd_, buffer.data(), length + 1);
  return FromWide(std::wstring_view(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0));
}

void Edit::SetText(const std::string& text) const { SetWindowTextW(hwnd_, ToWide(text).c_str()); }

void Edit::Focus() const { SetFocus(hwnd_); }

}  // namespace kestrun::gui
