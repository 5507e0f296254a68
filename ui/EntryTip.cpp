#include "ui/EntryTip.h"

namespace kestrun {
namespace {

constexpr const char* kSwitchedOffText = "Switched off in Windows' startup settings (StartupApproved)";

}  // namespace


std::string EntryTip(const StartupRow& row) {
  std::string tip = PlaceName(row.Record.GetLocation());
  if (row.Record.GetEnabled() == 0) tip += ", disabled (parked by Kestrun)";
  tip += "\r\n" + row.Path;
  if (SwitchedOffByWindows(row)) tip += std::string("\r\n") + kSwitchedOffText;
  return tip;
}

}  // namespace kestrun
