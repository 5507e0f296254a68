#pragma once
// What the store's units share for the life of the store: the platform, the report, the one registry
// object, the folder paths the last scan read, and the two journals.
#include <optional>
#include <string>
#include <vector>

#include "store/ErrorReport.h"
#include "store/Journal.h"
#include "store/Locations.h"
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
      : platform(platform),
        report(report),
        Registry(platform),
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
  RegistryAccess Registry;           // shared by the scan and every change
  std::vector<RegValue> ValueNames;  // scratch: one key's values at a time, reused across scans
  StartupFolders folders;            // a skipped place keeps its previous path
  Journal journal;         // the user's places
  Journal machineJournal;  // the machine's places
  bool journalWarned = false;  // within the running operation
  // Why the running change's record could not be written: warned of once the change is made.
  struct Unjournalled {
    ErrorCode code;
    std::string folder, why;
  };
  std::optional<Unjournalled> unjournalled;
  std::int64_t actionGroup = 0;  // the id of the running operation's first record; 0 before it
};

}  // namespace kestrun
