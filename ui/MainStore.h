#pragma once
// The main window's store, whose first scan begins before the window is made: Wine takes tens of
// milliseconds over a process's first window, which the scan need not wait for. With no window to say
// them in yet, the store's failures are kept until the window takes the first scan's rows.
#include <optional>

#include "gui/BackgroundWork.h"
#include "gui/Form.h"
#include "store/StartupStore.h"

namespace kestrun {

class MainStore {
 public:
  explicit MainStore(IPlatform& platform);
  MainStore(const MainStore&) = delete;
  MainStore& operator=(const MainStore&) = delete;

  [[nodiscard]] StartupStore& Store() { return store_; }
  [[nodiscard]] bool FirstScanPending() const { return firstScan_.has_value(); }
  // Waits for the first scan as RunInBackground waits and gives the rows it found; from then on the
  // store's failures are said to report, those kept first. When an exception stopped the scan, the
  // rows are those found before it, and the exception is raised after.
  void TakeFirstScan(gui::Form& form, IErrorReport& report, StartupRows& rows);

 private:
  // Keeps failures until told where to say them.
  class HeldReport : public IErrorReport {
   public:
    void Report(const Failure& failure) override { to_ ? to_->Report(failure) : held_.Report(failure); }
    void Release(IErrorReport& to);

   private:
    SaidLater held_;
    IErrorReport* to_ = nullptr;
  };

  HeldReport report_;
  StartupStore store_;
  StartupRows firstRows_;
  std::optional<gui::BackgroundTask> firstScan_;  // last: begun once the rest is made, ended before it goes
};

}  // namespace kestrun
