#include "ui/StartupRowModel.h"

namespace kestrun {

std::string_view StartupRowModel::CellText(int row, int column) const {
  if (!Has(row)) return {};
  const StartupRow& entry = (*rows_)[static_cast<size_t>(row)];
  if (column == kNameColumn) return entry.name;
  if (column == kPathColumn) return entry.path;
  return {};
}

bool StartupRowModel::RowChecked(int row) const { return Has(row) && (*rows_)[static_cast<size_t>(row)].checked; }

void StartupRowModel::SetRowChecked(int row, bool checked) {
  if (Has(row)) (*rows_)[static_cast<size_t>(row)].checked = checked;
}

void StartupRowModel::Replace(StartupRows rows) {
  rows_ = std::make_shared<StartupRows>(std::move(rows));
  facts_.clear();
  facts_.resize(rows_->size());
}

void StartupRowModel::SetFacts(int row, RowFacts facts) {
  if (Has(row)) facts_[static_cast<size_t>(row)] = std::make_unique<const RowFacts>(std::move(facts));
}

std::string StartupRowModel::RowTip(int row) const {
  if (!Has(row)) return "";
  const RowFacts* facts = facts_[static_cast<size_t>(row)].get();
  return EntryTip((*rows_)[static_cast<size_t>(row)], facts ? *facts : RowFacts{});
}

bool StartupRowModel::RowDimmed(int row) const {
  if (!Has(row)) return false;
  const RowFacts* facts = facts_[static_cast<size_t>(row)].get();
  return facts && facts->resolved && !facts->target.exists;
}

}  // namespace kestrun
