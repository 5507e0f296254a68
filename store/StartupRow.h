#pragma once
// One row of the list: what the list view shows and what the store's operations act on.
#include <string>
#include <vector>

#include "store/StartupApproved.h"
#include "store/Tkstartupentry.h"
#include "store/platform/Platform.h"

namespace kestrun {

struct StartupRow {
  std::string name;  // value name or file name
  std::string path;  // value text or full file path
  bool checked;      // the user's wish; set by the scan exactly when StartsAtLogOn
  TKStartupEntry record;
  RegValue scanned{};  // registry entries: the value as the scan read it, so a move can tell a change
  Approval approved = Approval::None;  // the entry's StartupApproved flag, as the scan read it
  // Kinds whose path is not all there is (a scheduled task): where the entry lives (its file), and the
  // command line it starts; "" for the others.
  std::string source{};
  std::string commandLine{};
};
using StartupRows = std::vector<StartupRow>;

// Windows starts it at the next log-on: it lies in its live place and no flag switches it off.
inline bool StartsAtLogOn(const StartupRow& row) {
  return row.record.GetEnabled() == 1 && row.approved != Approval::Off;
}
// The user's mark asks for a change: it differs from whether Windows will start the entry.
inline bool MarkChanged(const StartupRow& row) { return row.checked != StartsAtLogOn(row); }
// It lies in its live place, but Windows' own startup settings switched it off.
inline bool SwitchedOffByWindows(const StartupRow& row) {
  return row.record.GetEnabled() == 1 && row.approved == Approval::Off;
}

}  // namespace kestrun
