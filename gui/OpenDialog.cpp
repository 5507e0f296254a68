#include "gui/OpenDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "base/Text.h"

namespace kestrun::gui {

std::string OpenDialog::ApiFilter(const std::string& filter) {
  std::string api = filter;
  std::replace(api.begin(), api.end(), '|', '\0');
  api.append(2, '\0');
  return api;
}

bool OpenDialog::Execute(HWND owner) {
  // Room for the longest path the system can hand back.
  std::vector<wchar_t> name(65536, L'\0');
  const std::wstring start = ToWide(fileName_);
  start.copy(name.data(), std::min(start.size(), name.size() - 1));
  const std::wstring api = ToWide(ApiFilter(filter_));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter_.empty() ? nullptr : api.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameW(&ofn)) return false;
  fileName_ = FromWide(name.data());
  filterIndex_ = static_cast<int>(ofn.nFilterIndex);
  return true;
}

}  // namespace kestrun::gui
