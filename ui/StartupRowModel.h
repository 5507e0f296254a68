#pragma once
// The rows of the main list: the scanned entries with the user's check marks. The list view draws
// from here and Save Settings reads the marks from here; the list itself holds no row.
#include <memory>
#include <string_view>
#include <vector>

#include "gui/ListRows.h"
#include "store/StartupStore.h"
#include "ui/EntryTip.h"

namespace kestrun {

class StartupRowModel : public gui::ListRows {
 public:
  // Column 0 is the entry's name, column 1 its path (value text or file path).
  static constexpr int kNameColumn = 0;
  static constexpr int kPathColumn = 1;

  [[nodiscard]] const StartupRows& Rows() const { return *rows_; }
  // The same rows for a worker that reads them while the window runs: it may read everything but the
  // marks, the one thing the window changes in place. A later Replace leaves them to the worker.
  [[nodiscard]] std::shared_ptr<const StartupRows> SharedRows() const { return rows_; }
  // Forgets the facts of the old rows: until found again, the new rows have none.
  void Replace(StartupRows rows);
  // What row runs, found for the rows as they are now.
  void SetFacts(int row, RowFacts facts);

  [[nodiscard]] int RowCount() const override { return static_cast<int>(rows_->size()); }
  [[nodiscard]] std::string_view CellText(int row, int column) const override;
  [[nodiscard]] bool RowChecked(int row) const override;
  void SetRowChecked(int row, bool checked) override;
  [[nodiscard]] std::string RowTip(int row) const override;
  // Its target is known to be missing: nothing would start at log-on.
  [[nodiscard]] bool RowDimmed(int row) const override;

 private:
  [[nodiscard]] bool Has(int row) const { return row >= 0 && row < RowCount(); }

  std::shared_ptr<StartupRows> rows_ = std::make_shared<StartupRows>();
  // Row for row, null until found: most rows' facts arrive long after the list is shown.
  std::vector<std::unique_ptr<const RowFacts>> facts_;
};

}  // namespace kestrun
