// The machine every benchmark measures: VALUES values in HKCU Run, FILES files in the per-user Startup
// folder (Windows' StartupApproved switches for one in ten of both), TASKS scheduled tasks that start at
// log-on, and PACKAGES packaged apps with a startup task each; every other startup place empty.
#pragma once

#include <string>

namespace kestrun::bench {

// What the values' commands look like.
enum class Commands {
  // Unquoted paths with blanks into folders that are not there, as the slow listing was first measured:
  // "C:\Program Files\Vendor 00001\app.exe /background --flag=1".
  Unquoted,
  // Shaped like real ones: unquoted paths with blanks, quoted paths, per-user updaters' long commands,
  // bare names searched along the PATH, environment variables (REG_EXPAND_SZ), a mix of existing and
  // missing programs.
  Mixed,
};

std::string UserStartup();
void SeedStartup(int values, int files, Commands commands = Commands::Mixed, int tasks = 0);
// Packages registered for the user, each a folder with a manifest of a real one's size (about 4 KB)
// declaring one startup task; a third of them switched off by the user. Call after SeedStartup.
void SeedPackages(int packages);
void ClearStartup();

}  // namespace kestrun::bench
