// Which unit reads and changes each location's entries: one instance a kind, in KindId's order.
#include <array>

#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/PackagedTasks.h"
#include "store/RegistryValues.h"
#include "store/StartupFiles.h"

namespace kestrun {
namespace {

const RegistryValueKind kRegistryValues;
const StartupFileKind kStartupFiles;
const PackagedTaskKind kPackagedTasks;
const std::array<const EntryKind*, 3> kKinds{&kRegistryValues, &kStartupFiles, &kPackagedTasks};

}  // namespace

const EntryKind& KindOf(const LocationInfo& location) { return *kKinds.at(static_cast<size_t>(location.kind)); }

const EntryKind* KindOf(std::int32_t location) {
  const LocationInfo* info = FindLocation(location);
  return info ? &KindOf(*info) : nullptr;
}

bool IsParked(const StartupRow& row) {
  const EntryKind* kind = KindOf(row.record.GetLocation());
  return row.record.GetEnabled() == 0 && kind && kind->Parks();
}

}  // namespace kestrun
