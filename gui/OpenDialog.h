#pragma once
// The platform's open-file dialog (GetOpenfileNameA) with a "Name|pattern|Name|pattern" filter.
#include <windows.h>

#include <string>
#include <utility>

namespace kestrun::gui {

class OpenDialog {
 public:
  // filter: e.g. "Programs (*.exe)|*.exe|All files (*.*)|*.*"; filterIndex counts from 1.
  OpenDialog(std::string filter, int filterIndex) : filter_(std::move(filter)), filterIndex_(filterIndex) {}

  // Hides the read-only box, demands an existing file, resizable. False when the user cancels.
  bool Execute(HWND owner);
  // The full name of the file chosen last (the dialog starts there); empty before any.
  [[nodiscard]] const std::string& FileName() const { return fileName_; }
  // The filter in the API's form: NUL between the parts, a double NUL at the end.
  [[nodiscard]] static std::string ApiFilter(const std::string& filter);

 private:
  std::string filter_;
  int filterIndex_;  // the last one chosen: the dialog opens with it next time
  std::string fileName_;
};

}  // namespace kestrun::gui
