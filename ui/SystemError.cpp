#include "ui/SystemError.h"

#include "ui/Messageform.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform) {
  ShowMessageBox(owner, platform.SystemErrorText(code), "Error", kButtonsOk);
}

ErrorCode ErrorCodeOfStatus(HRESULT status) {
  return HRESULT_FACILITY(status) == FACILITY_WIN32 ? HRESULT_CODE(status) : static_cast<ErrorCode>(status);
}

bool ShellOpenOrReport(gui::Form* owner, const std::string& file, const std::string& parameters, int show,
                       IPlatform& platform) {
  const ErrorCode rc = platform.ShellOpen(owner ? owner->Handle() : nullptr, file, parameters, show);
  if (rc != ERROR_SUCCESS) ShowSystemError(owner, rc, platform);
  return rc == ERROR_SUCCESS;
}

void MessageBoxReport::ShowSystemError(ErrorCode code, const std::string&) {
  kestrun::ShowSystemError(owner_, code, platform_);
}

void MessageBoxReport::ShowFailure(const std::string& text) { ShowMessageBox(owner_, text, "Error", kButtonsOk); }

}  // namespace kestrun
