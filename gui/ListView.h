#pragma once
// Non-owning wrapper of an owner-data report list view with check boxes; the parent window destroys
// the control. The rows stay in their model and the list asks for them.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "gui/ListRows.h"

namespace kestrun::gui {

class ListView {
 public:
  ListView() = default;
  // Single selection, selection always shown, check boxes, no caption editing, no border. rows: not
  // owned, they outlive the control; Notify must see the list's notifications.
  static ListView Create(HWND parent, const RECT& rect, HFONT font, ListRows& rows);

  [[nodiscard]] HWND Handle() const { return hwnd_; }
  // width -1 sizes the column to its contents; the column never gets narrower than minWidth.
  int AddColumn(const std::string& caption, int width, int minWidth);
  void SetColumnWidth(int column, int width);
  [[nodiscard]] int ColumnWidth(int column) const;

  // The rows were replaced; the list takes their count and forgets selection and focus.
  void Reload();
  // No rows shown, whatever the model holds, until the next Reload.
  void Clear();
  // The column as wide as its widest text in the list's font, never narrower than minWidth. Measures
  // every row: once per fill, and when the font changes.
  void FitColumn(int column, int minWidth);
  // Answers the list's questions about the rows (texts, marks, tips, type-to-find); a click on a
  // row's box and Space on the focused row toggle its check mark. Empty: left to the default.
  std::optional<LRESULT> Notify(NMHDR& header);

  [[nodiscard]] int Count() const;
  [[nodiscard]] std::string Text(int row, int column = 0) const;
  [[nodiscard]] bool Checked(int row) const;
  void SetChecked(int row, bool checked);
  void RedrawRow(int row) const;
  // The first row in view and how many fit: the rows worth looking at first.
  [[nodiscard]] int TopRow() const;
  [[nodiscard]] int RowsPerPage() const;
  [[nodiscard]] int Selected() const;  // -1 when no row is selected
  void Select(int row);                // selects and focuses the row; -1 clears the selection
  void Focus() const;
  void SetVisible(bool visible) const;
  // The design's black on white, or in high contrast the system's window colours without visual styles.
  void ApplyContrast(bool on) const;

 private:
  void SetColors(bool highContrast) const;
  void ToggleCheck(int row);
  [[nodiscard]] int PaddingOf(int column) const;
  [[nodiscard]] std::vector<int> ProbePaddings(int columns) const;
  [[nodiscard]] int FindRow(int start, std::wstring_view wanted, UINT flags) const;

  HWND hwnd_ = nullptr;       // not owned
  ListRows* rows_ = nullptr;  // not owned
  // What the paddings were measured for.
  struct FitKey {
    LOGFONTW font;
    DWORD style;
    bool themed;
    [[nodiscard]] bool Same(const FitKey& other) const {
      return std::memcmp(&font, &other.font, sizeof font) == 0 && style == other.style && themed == other.themed;
    }
  };
  mutable FitKey fitKey_{};
  mutable std::vector<int> paddings_;
};

}  // namespace kestrun::gui
