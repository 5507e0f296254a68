#pragma once
// Where a location's files may be changed: only below the folder the system names for its scope, the
// user's profile or ProgramData. A Startup folder comes from Shell Folders, which any program of the
// user can write: pointed anywhere else it is still listed, and every change there is refused.
#include "store/Locations.h"
#include "store/platform/SafeFiles.h"

namespace kestrun {

SafeFiles PlaceFiles(IPlatform& platform, const LocationInfo& location);

}  // namespace kestrun
