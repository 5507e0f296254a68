#pragma once
// Failures of the machine shown to the user: the system's own text in our message box, caption "Error".
#include <string>

#include "gui/Form.h"
#include "store/ErrorReport.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform);

// The Win32 code inside a COM status, for its system text; other statuses pass as they are.
ErrorCode ErrorCodeOfStatus(HRESULT status);

// The warning's text when the journal could not be written, with the system's reason.
std::string JournalWarningText(const std::string& folder, const std::string& reason);

// The store's failures, shown in the message box over the owner.
class MessageBoxReport : public IErrorReport {
 public:
  MessageBoxReport(gui::Form* owner, IPlatform& platform) : owner_(owner), platform_(platform) {}
  void ShowSystemError(ErrorCode code, const std::string& subject) override;
  void ShowFailure(const std::string& text) override;
  // In the box's own short lines, then the system's reason, under "Warning" or "Error".
  void ShowJournalWarning(ErrorCode code, const std::string& folder, const std::string& why) override;
  void ShowRemoveRefused(ErrorCode code, const std::string& name, const std::string& folder,
                         const std::string& why) override;

 private:
  gui::Form* owner_;     // not owned
  IPlatform& platform_;  // not owned
};

}  // namespace kestrun
