#pragma once
// What the store's units share for the life of the store: the platform, the report, the one registry
// object, the folder paths the last scan read, and the journal.
#include <string>
#include <vector>

#include "store/ErrorReport.h"
#include "store/Journal.h"
#include "store/platform/Registry.h"

namespace kestrun {

// The design's names for the four folders.
struct StartupFolders {
  std::string StartupDir;
  std::string CommonStartupDir;
  std::string DisabledStartupDir;
  std::string DisabledCommonStartupDir;
};

struct StoreContext {
  StoreContext(IPlatform& platform, IErrorReport& report, std::string program)
      : platform(platform), report(report), Registry(platform), journal(platform, std::move(program)) {}

  IPlatform& platform;   // not owned
  IErrorReport& report;  // not owned
  RegistryAccess Registry;           // shared by the scan and every change
  std::vector<RegValue> ValueNames;  // scratch: one key's values at a time, reused across scans
  StartupFolders folders;            // a skipped place keeps its previous path
  Journal journal;
  bool journalWarned = false;  // within the running operation
  std::int64_t actionGroup = 0;  // the id of the running operation's first record; 0 before it
};

}  // namespace kestrun
