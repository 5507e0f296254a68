#include "gui/OpenDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace kestrun::gui {

std::string OpenDialog::ApiFilter(const std::string& filter) {
  std::string api = filter;
  std::replace(api.begin(), api.end(), '|', '\0');
  api.append(2, '\0');
  return api;
}

bool OpenDialog::Execute(HWND owner) {
  // Room for the longest path the system can hand back.
  std::vector<char> name(65536, '\0');
  FileName.copy(name.data(), std::min(FileName.size(), name.size() - 1));
  std::string filter = ApiFilter(Filter);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameA(&ofn)) return false;
  FileName = name.data();
  FilterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

}  // namespace kestrun::gui
