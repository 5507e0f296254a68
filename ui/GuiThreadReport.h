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
  void Report(const Failure& failure) override {
    form_.RunOnOwnThread([&] { report_.Report(failure); });
  }

 private:
  gui::Form& form_;       // not owned
  IErrorReport& report_;  // not owned
};

}  // namespace kestrun
