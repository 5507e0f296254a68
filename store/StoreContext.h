#pragma once
// What lives as long as the store: the platform, where failures are said, the folder paths the last
// scan read and the two journals. What one action needs is the action's own (store/Action.h).
#include <string>

#include "store/ErrorReport.h"
#include "store/Journal.h"
#include "store/Locations.h"

namespace kestrun {

// The per-user and all-users Startup folders and their parking folders, as the last scan read them.
struct StartupFolders {
  std::string StartupDir;
  std::string CommonStartupDir;
  std::string DisabledStartupDir;
  std::string DisabledCommonStartupDir;
};

struct StoreContext {
  StoreContext(IPlatform& platform, IErrorReport& report, std::string program)
      : platform(platform),
        report(report),
        journal(platform, program),
        machineJournal(platform, program, JournalScope::Machine) {}

  // Machine-wide places are journalled where only administrators can write: an elevated undo trusts
  // nothing the user's other programs could have written.
  Journal& JournalOf(std::int32_t location) {
    const LocationInfo* info = FindLocation(location);
    return info && info->hive == HKEY_LOCAL_MACHINE ? machineJournal : journal;
  }

  IPlatform& platform;   // not owned
  IErrorReport& report;  // not owned
  StartupFolders folders;  // a skipped place keeps its previous path
  Journal journal;         // the user's places
  Journal machineJournal;  // the machine's places
};

}  // namespace kestrun
