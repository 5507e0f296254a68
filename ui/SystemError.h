#pragma once
// Failures shown to the user: the system's own text, or the store's failure worded for the window, in
// our message box.
#include <string>

#include "gui/Form.h"
#include "store/ErrorReport.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform);

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
