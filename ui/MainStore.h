#pragma once
// The main window's store, whose first scan begins as soon as the window exists and runs while its
// controls are made and it is shown. (Begun before the window, the scan's calls slowed Wine's making
// of the process's first window by more than they gained.) Until the window takes the first scan's
// rows, the store's failures are kept.
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
