// Which unit reads and changes each location's entries: one instance a kind, in KindId's order; and
// what the kinds share.
#include <array>

#include "base/Texts.h"
#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/PackagedTasks.h"
#include "store/RegistryValues.h"
#include "store/ScheduledTasks.h"
#include "store/StartupFiles.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

const RegistryValueKind kRegistryValues;
const StartupFileKind kStartupFiles;
const PackagedTaskKind kPackagedTasks;
const ScheduledTaskKind kScheduledTasks;
const std::array<const EntryKind*, 4> kKinds{&kRegistryValues, &kStartupFiles, &kPackagedTasks, &kScheduledTasks};

}  // namespace

std::string ParkedPlaceText(const StartupRow& row) {
  const std::string place = PlaceName(row.record.GetLocation());
  return row.record.GetEnabled() == 0 ? Text(IDS_PARKED_PLACE, {place}) : place;
}

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
