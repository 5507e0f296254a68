#pragma once
// What every verb works with: the real platform, the store over it, and failures bound to stderr.
#include <functional>

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

// The verb chosen on the command line, bound to its parsed options; returns the exit code.
using Verb = std::function<int(CliSession&)>;

}  // namespace kestrun::cli
