#include "ui/StartupRowModel.h"

#include "ui/EntryTip.h"

namespace kestrun {

std::string_view StartupRowModel::CellText(int row, int column) const {
  if (!Has(row)) return {};
  const StartupRow& entry = rows_[static_cast<size_t>(row)];
  if (column == kNameColumn) return entry.name;
  if (column == kPathColumn) return entry.path;
  return {};
}

bool StartupRowModel::RowChecked(int row) const { return Has(row) && rows_[static_cast<size_t>(row)].checked; }

void StartupRowModel::SetRowChecked(int row, bool checked) {
  if (Has(row)) rows_[static_cast<size_t>(row)].checked = checked;
}

std::string StartupRowModel::RowTip(int row) const { return Has(row) ? EntryTip(rows_[static_cast<size_t>(row)]) : ""; }

}  // namespace kestrun
