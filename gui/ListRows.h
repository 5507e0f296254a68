#pragma once
// The rows an owner-data list view shows. The list holds none of them: it asks for each cell's text,
// each row's check mark and info tip when it needs them, so filling it costs nothing however many
// rows there are.
#include <string>
#include <string_view>

namespace kestrun::gui {

class ListRows {
 public:
  virtual ~ListRows() = default;
  [[nodiscard]] virtual int RowCount() const = 0;
  // The text stays valid until the rows change.
  [[nodiscard]] virtual std::string_view CellText(int row, int column) const = 0;
  [[nodiscard]] virtual bool RowChecked(int row) const = 0;
  virtual void SetRowChecked(int row, bool checked) = 0;
  // Shown while the pointer rests on the row, if the list asks for info tips; empty: none.
  [[nodiscard]] virtual std::string RowTip(int /*row*/) const { return {}; }
  // Drawn in grey text: the row is there, but stands for nothing that would work.
  [[nodiscard]] virtual bool RowDimmed(int /*row*/) const { return false; }
};

}  // namespace kestrun::gui
