#pragma once
// One row of the list: what the list view shows and what the store's operations act on.
#include <memory>
#include <string>
#include <vector>

#include "store/StartupApproved.h"
#include "store/Tkstartupentry.h"
#include "store/platform/Platform.h"

namespace kestrun {

// A registry entry's type and bytes as the scan read them.
struct ScannedData {
  DWORD type = REG_NONE;
  std::string data;
  bool operator==(const ScannedData&) const = default;
};

// What kinds whose path is not all there is keep besides: where the entry is switched or lives
// ("HKCU\<key path>" for a packaged app's task, its file for a scheduled task), what it comes with when
// its name does not say ("Package <full name>"), and the command line it starts.
struct RowDetail {
  std::string source;
  std::string origin;
  std::string commandLine;
};

struct StartupRow {
  std::string name;  // value name or file name
  std::string path;  // value text or full file path
  bool checked;      // the user's wish; set by the scan exactly when StartsAtLogOn
  TKStartupEntry record;
  ScannedData scanned{};  // registry entries: as the scan read them, so a move can tell a change
  Approval approved = Approval::None;  // the entry's StartupApproved flag, as the scan read it
  // File entries: size and last-write time as the scan saw them (written 0: not known), so a removal can tell.
  std::uint64_t scannedSize = 0, scannedWritten = 0;
  // Shared, and none for the registry's and the folders' rows: most rows of a large list are theirs.
  std::shared_ptr<const RowDetail> detail{};
  // Registry entries whose bytes are exactly path's UTF-16 and a closing NUL, as nearly all are: the
  // bytes are not kept twice (scanned.data is empty), they are made again from path when needed.
  bool bytesFromPath = false;

  // detail's parts; "" for the kinds that keep none.
  [[nodiscard]] const std::string& Source() const { return detail ? detail->source : None(); }
  [[nodiscard]] const std::string& Origin() const { return detail ? detail->origin : None(); }
  [[nodiscard]] const std::string& CommandLine() const { return detail ? detail->commandLine : None(); }

 private:
  static const std::string& None() {
    static const std::string none;
    return none;
  }
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
