#include "ui/SystemError.h"

#include "ui/Messageform.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform) {
  ShowMessageBox(owner, platform.SystemErrorText(code), "Error", MessageButtons::Ok);
}

ErrorCode ErrorCodeOfStatus(HRESULT status) {
  return HRESULT_FACILITY(status) == FACILITY_WIN32 ? HRESULT_CODE(status) : static_cast<ErrorCode>(status);
}

// Started from an elevated Kestrun, a browser or help viewer would run as administrator too: the
// desktop's shell starts it with the user's own rights, and where it cannot, the user is told where to go.
bool ShellOpenOrReport(gui::Form* owner, const std::string& file, const std::string& parameters, int show,
                       IPlatform& platform, const std::string& place) {
  if (platform.IsElevated()) {
    if (platform.ShellOpenAsUser(file, parameters, show) == ERROR_SUCCESS) return true;
    ShowMessageBox(owner, "\nRunning as administrator, Kestrun\ndoes not open this itself.\nOpen it yourself:\n" + place,
                   "Information", MessageButtons::Ok);
    return false;
  }
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
  ShowMessageBox(owner_, WrappedForMessageBox(text), "Error", MessageButtons::Ok);
}

// The box draws each line as it is given, without wrapping: the texts carry their own breaks.
void MessageBoxReport::ShowJournalWarning(ErrorCode, const std::string& folder, const std::string& why) {
  ShowMessageBox(owner_, JournalWarningText(folder, WrappedForMessageBox(why)), "Warning", MessageButtons::Ok);
}

void MessageBoxReport::ShowRemoveRefused(ErrorCode, const std::string& name, const std::string&,
                                         const std::string& why) {
  ShowMessageBox(owner_, "\n" + name + " was not removed:\nno copy for undoing it could be\nkept in the journal.\n" +
                                 WrappedForMessageBox(why),
                 "Error", MessageButtons::Ok);
}

std::string JournalWarningText(const std::string& folder, const std::string& reason) {
  return "\nThe change was made, but it cannot\nbe undone: the journal in\n" + folder + "\ncould not be written.\n" +
         reason;
}

}  // namespace kestrun
