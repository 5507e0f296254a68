#pragma once
// What every verb works with: the real platform, the store over it, and failures bound to stderr.
#include "store/StartupStore.h"
#include "cli/StderrReport.h"

namespace kestrun::cli {

// Exit codes of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreadable = 3;  // check: the machine or the file could not be read

struct CliSession {
  IPlatform& platform = SystemPlatform();
  StderrReport report{platform};
  StartupStore store{platform, report, "console"};
};

}  // namespace kestrun::cli
