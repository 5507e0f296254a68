#pragma once
// The platform's open-file dialog (GetOpenfileNameA) with a "Name|pattern|Name|pattern" filter.
#include <windows.h>

#include <string>

namespace kestrun::gui {

class OpenDialog {
 public:
  std::string filter;  // e.g. "Programs (*.exe)|*.exe|All files (*.*)|*.*"
  int filterIndex = 1;
  std::string fileName;  // full name of the chosen file after Execute returned true

  // Hides the read-only box, demands an existing file, resizable. False when the user cancels.
  bool Execute(HWND owner);
  // The filter in the API's form: NUL between the parts, a double NUL at the end.
  [[nodiscard]] static std::string ApiFilter(const std::string& filter);
};

}  // namespace kestrun::gui
