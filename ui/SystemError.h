#pragma once
// Failures of the machine shown to the user: the system's own text in our message box, caption "Error".
#include <string>

#include "gui/Form.h"
#include "store/ErrorReport.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform);

// Opens a document or program through the shell; a failure is shown with the system's text, never
// with "success" (the shell often leaves the last error at 0 when a launch fails). True on success.
// Elevated, it starts nothing with those rights: place (an address, where the manual lies) is shown
// when the desktop's shell cannot start it for the user.
bool ShellOpenOrReport(gui::Form* owner, const std::string& file, const std::string& parameters, int show,
                       IPlatform& platform, const std::string& place);

// The message box does not wrap its text: the text broken at blanks into lines that fit the box.
std::string WrappedForMessageBox(const std::string& text);
// The warning's text when the journal could not be written, with the system's reason.
std::string JournalWarningText(const std::string& folder, const std::string& reason);

// The store's failures, each worded once for the window and shown in the message box over the owner.
class MessageBoxReport : public IErrorReport {
 public:
  explicit MessageBoxReport(gui::Form* owner) : owner_(owner) {}
  void Report(const Failure& failure) override;

 private:
  gui::Form* owner_;  // not owned
};

}  // namespace kestrun
