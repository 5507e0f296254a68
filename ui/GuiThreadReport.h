#pragma once
// The store's failures reported from a worker thread: the message box is shown on the window's own
// thread, and the store waits for the user to close it, as it would on that thread.
#include <string>

#include "gui/Form.h"
#include "store/ErrorReport.h"

namespace kestrun {

class GuiThreadReport : public IErrorReport {
 public:
  GuiThreadReport(gui::Form& form, IErrorReport& report) : form_(form), report_(report) {}
  void ShowSystemError(ErrorCode code, const std::string& subject) override {
    form_.RunOnOwnThread([&] { report_.ShowSystemError(code, subject); });
  }
  void ShowFailure(const std::string& text) override {
    form_.RunOnOwnThread([&] { report_.ShowFailure(text); });
  }
  void ShowJournalWarning(ErrorCode code, const std::string& folder, const std::string& why) override {
    form_.RunOnOwnThread([&] { report_.ShowJournalWarning(code, folder, why); });
  }
  void ShowRemoveRefused(ErrorCode code, const std::string& name, const std::string& folder,
                         const std::string& why) override {
    form_.RunOnOwnThread([&] { report_.ShowRemoveRefused(code, name, folder, why); });
  }

 private:
  gui::Form& form_;       // not owned
  IErrorReport& report_;  // not owned
};

}  // namespace kestrun
