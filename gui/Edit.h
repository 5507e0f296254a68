#pragma once
// Non-owning wrapper of a borderless single-line edit; the parent window destroys the control.
#include <windows.h>

#include <string>

namespace kestrun::gui {

class Edit {
 public:
  Edit() = default;
  explicit Edit(HWND hwnd) : hwnd_(hwnd) {}
  static Edit Create(HWND parent, const RECT& rect, HFONT font);

  [[nodiscard]] HWND Handle() const { return hwnd_; }
  [[nodiscard]] std::string Text() const;
  void SetText(const std::string& text) const;
  void Focus() const;

 private:
  HWND hwnd_ = nullptr;  // not owned
};

}  // namespace kestrun::gui
