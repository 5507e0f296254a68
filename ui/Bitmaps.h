#pragma once
// The bitmaps of the program's resources (numbers in ui/Resources.h).
#include "base/Handles.h"

namespace kestrun {

// Empty when the resource is missing.
UniqueGdiObject LoadBitmapResource(int id);

}  // namespace kestrun
