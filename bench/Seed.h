// The machine every benchmark measures: VALUES values in HKCU Run and FILES files in the per-user
// Startup folder, every other startup place empty.
#pragma once

#include <string>

namespace kestrun::bench {

std::string UserStartup();
void SeedStartup(int values, int files);
void ClearStartup();

}  // namespace kestrun::bench
