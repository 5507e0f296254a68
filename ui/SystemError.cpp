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

namespace {

constexpr size_t kBoxLine = 36;  // characters of the box's bold text that fit one line

}  // namespace

std::string WrappedForMessageBox(const std::string& text) {
  std::string out, line;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > kBoxLine) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  return out + line;
}

// Each sentence names its entry: one Save can be refused for several rows.
void MessageBoxReport::ShowFailure(const std::string& text) {
  ShowMessageBox(owner_, WrappedForMessageBox(text), "Error", kButtonsOk);
}

}  // namespace kestrun
