#pragma once
// Non-owning wrapper of a report list view with check boxes; the parent window destroys the control.
// Given rows, it is an owner-data list: the rows stay in the model and the list asks for them.
#include <windows.h>

#include <optional>
#include <string>

#include "gui/ListRows.h"

namespace kestrun::gui {

class ListView {
 public:
  ListView() = default;
  explicit ListView(HWND hwnd) : hwnd_(hwnd) {}
  // Single selection, selection always shown, check boxes, no caption editing, no border. With rows
  // (not owned; they outlive the control) the list is owner-data and Notify must see its notifications.
  static ListView Create(HWND parent, const RECT& rect, HFONT font, ListRows* rows = nullptr);

  [[nodiscard]] HWND Handle() const { return hwnd_; }
  // width -1 sizes the column to its contents; the column never gets narrower than minWidth.
  int AddColumn(const std::string& caption, int width, int minWidth);
  void SetColumnWidth(int column, int width);
  [[nodiscard]] int ColumnWidth(int column) const;

  // Owner data: the rows were replaced; the list takes their count and forgets selection and focus.
  void Reload();
  // Owner data: the column as wide as its widest text in the list's font, never narrower than
  // minWidth. Measures every row: once per fill, and when the font changes.
  void FitColumn(int column, int minWidth);
  // Owner data: answers the list's questions about the rows; a click on a row's box and Space on the
  // focused row toggle its check mark. Empty for a notification left to the default.
  std::optional<LRESULT> Notify(NMHDR& header);

  // Not for owner data: appends a row. Returns the row index.
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
  void ToggleCheck(int row);
  [[nodiscard]] int PaddingOf(int column) const;
  [[nodiscard]] int FindRow(int start, std::string_view wanted, UINT flags) const;

  HWND hwnd_ = nullptr;       // not owned
  ListRows* rows_ = nullptr;  // not owned; null for a list that holds its rows
};

}  // namespace kestrun::gui
