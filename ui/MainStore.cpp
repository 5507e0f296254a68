#include "ui/MainStore.h"

#include <exception>

namespace kestrun {

void MainStore::HeldReport::Release(IErrorReport& to) {
  held_.SayTo(to);
  to_ = &to;
}

MainStore::MainStore(IPlatform& platform) : store_(platform, report_) {
  firstScan_.emplace([this] { store_.LoadStartupList(firstRows_); });
}

void MainStore::TakeFirstScan(gui::Form& form, IErrorReport& report, StartupRows& rows) {
  std::exception_ptr stopped;
  try {
    firstScan_->Await(form);
  } catch (...) {
    stopped = std::current_exception();
  }
  firstScan_.reset();
  rows = std::move(firstRows_);
  report_.Release(report);
  if (stopped) std::rethrow_exception(stopped);
}

}  // namespace kestrun
