// The machine every benchmark measures: VALUES values in HKCU Run, FILES files in the per-user
// Startup folder and TASKS scheduled tasks that start at log-on, every other startup place empty.
#pragma once

#include <string>

namespace kestrun::bench {

// What the values' commands look like.
enum class Commands {
  // Unquoted paths with blanks into folders that are not there, as the measurement has them:
  // "C:\Program Files\Vendor 00001\app.exe /background --flag=1".
  Unquoted,
  // Shaped like real ones: unquoted paths with blanks, quoted paths, bare names searched along the
  // PATH, environment variables (REG_EXPAND_SZ), a mix of existing and missing programs.
  Mixed,
};

std::string UserStartup();
void SeedStartup(int values, int files, Commands commands = Commands::Mixed, int tasks = 0);
void ClearStartup();

}  // namespace kestrun::bench
