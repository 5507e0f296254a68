#include "ui/SystemError.h"

#include "ui/Messageform.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform) {
  ShowMessageBox(owner, platform.SystemErrorText(code), "Error", MessageButtons::Ok);
}

ErrorCode ErrorCodeOfStatus(HRESULT status) {
  return HRESULT_FACILITY(status) == FACILITY_WIN32 ? HRESULT_CODE(status) : static_cast<ErrorCode>(status);
}

void MessageBoxReport::ShowSystemError(ErrorCode code, const std::string&) {
  kestrun::ShowSystemError(owner_, code, platform_);
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
