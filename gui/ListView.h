#pragma once
// Non-owning wrapper of a report list view with check boxes; the parent window destroys the control.
#include <windows.h>

#include <string>

namespace kestrun::gui {

class ListView {
 public:
  ListView() = default;
  explicit ListView(HWND hwnd) : hwnd_(hwnd) {}
  // Single selection, selection always shown, check boxes, no caption editing, no border.
  static ListView Create(HWND parent, const RECT& rect, HFONT font);

  [[nodiscard]] HWND Handle() const { return hwnd_; }
  // width -1 sizes the column to its contents; the column never gets narrower than minWidth.
  int AddColumn(const std::string& caption, int width, int minWidth);
  void SetColumnWidth(int column, int width);
  [[nodiscard]] int ColumnWidth(int column) const;

  // Appends a row. Returns the row index.
  int AddRow(const std::string& text, const std::string& subText, bool checked);
  void Clear();
  [[nodiscard]] int Count() const;
  [[nodiscard]] std::string Text(int row, int column = 0) const;
  [[nodiscard]] bool Checked(int row) const;
  void SetChecked(int row, bool checked);
  [[nodiscard]] int Selected() const;  // -1 when no row is selected
  void Select(int row);                // selects and focuses the row; -1 clears the selection
  void Focus() const;
  void SetVisible(bool visible) const;

 private:
  HWND hwnd_ = nullptr;  // not owned
};

}  // namespace kestrun::gui
