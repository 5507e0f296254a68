#include "ui/EntryTip.h"

namespace kestrun {
namespace {

constexpr const char* kSwitchedOffText = "Switched off in Windows' startup settings (StartupApproved)";

}  // namespace


std::string EntryTip(const StartupRow& row) {
  std::string tip = PlaceName(row.record.GetLocation());
  if (row.record.GetEnabled() == 0) tip += ", disabled (parked by Kestrun)";
  tip += "\r\n" + row.path;
  if (SwitchedOffByWindows(row)) tip += std::string("\r\n") + kSwitchedOffText;
  return tip;
}

}  // namespace kestrun
