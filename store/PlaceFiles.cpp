// The system's own names of the two trusted folders, never a value another program could write.
#include "store/PlaceFiles.h"

#include "base/Texts.h"
#include "store/TextIds.h"

namespace kestrun {

SafeFiles PlaceFiles(IPlatform& platform, const LocationInfo& location) {
  if (location.hive == HKEY_LOCAL_MACHINE) return SafeFiles(platform, platform.ProgramData(), "ProgramData");
  return SafeFiles(platform, platform.UserProfile(), Text(IDS_USER_PROFILE));
}

}  // namespace kestrun
