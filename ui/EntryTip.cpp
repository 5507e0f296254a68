#include "ui/EntryTip.h"

#include <algorithm>

#include "base/Text.h"

namespace kestrun {
namespace {

constexpr const char* kSwitchedOffText = "Switched off in Windows' startup settings (StartupApproved)";

// Up to capacity - 1 bytes and a NUL, never cutting a UTF-8 character in two.
void CopyTip(const std::string& tip, char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  size_t length = std::min(tip.size(), static_cast<size_t>(capacity - 1));
  if (length < tip.size())
    while (length > 0 && (static_cast<unsigned char>(tip[length]) & 0xC0) == 0x80) --length;
  std::copy_n(tip.data(), length, buffer);
  buffer[length] = '\0';
}

void CopyTip(const std::wstring& tip, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  const size_t length = std::min(tip.size(), static_cast<size_t>(capacity - 1));
  std::copy_n(tip.data(), length, buffer);
  buffer[length] = L'\0';
}

template <typename Info>
const StartupRow* RowOf(const Info& info, const StartupRows& rows) {
  if (info.iItem < 0 || info.iItem >= static_cast<int>(rows.size())) return nullptr;
  return &rows[static_cast<size_t>(info.iItem)];
}

}  // namespace


std::string EntryTip(const StartupRow& row) {
  std::string tip = PlaceName(row.record.GetLocation());
  if (row.record.GetEnabled() == 0) tip += ", disabled (parked by Kestrun)";
  tip += "\r\n" + row.path;
  if (SwitchedOffByWindows(row)) tip += std::string("\r\n") + kSwitchedOffText;
  return tip;
}

bool AnswerInfoTip(const NMHDR& header, const StartupRows& rows) {
  if (header.code == LVN_GETINFOTIPA) {
    auto& info = reinterpret_cast<NMLVGETINFOTIPA&>(const_cast<NMHDR&>(header));
    const StartupRow* row = RowOf(info, rows);
    if (row) CopyTip(EntryTip(*row), info.pszText, info.cchTextMax);
    return row != nullptr;
  }
  if (header.code == LVN_GETINFOTIPW) {
    auto& info = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
    const StartupRow* row = RowOf(info, rows);
    if (row) CopyTip(ToWide(EntryTip(*row)), info.pszText, info.cchTextMax);
    return row != nullptr;
  }
  return false;
}

}  // namespace kestrun
