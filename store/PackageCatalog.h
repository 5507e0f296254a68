#pragma once
// The user's installed packages and the startup tasks their manifests declare, read as Windows keeps
// them (observed behaviour: Microsoft documents neither key). A manifest is another program's file: it
// is read within limits, and one that cannot be read leaves out its package alone, said once.
#include <optional>
#include <string>
#include <vector>

#include "store/Action.h"

namespace kestrun {

inline constexpr std::uint64_t kMaxManifestBytes = 2u << 20;
inline constexpr unsigned kMaxManifestDepth = 64;

struct InstalledPackage {
  std::string fullName;  // Name_Version_Arch_ResourceId_PublisherId
  std::string familyName;
  std::string folder;  // PackageRootFolder
};

struct PackagedTask {
  std::string name;      // the display name the user sees
  std::string stateKey;  // the key of the user's switch, below HKCU
  std::string command;   // the executable in the package's folder
  bool declaredEnabled = false;
};

// Every package registered for the user with a folder.
std::vector<InstalledPackage> InstalledPackages(Action& action);
// The package's tasks; nothing when its manifest cannot be read or understood, said as a warning.
std::optional<std::vector<PackagedTask>> PackageTasks(Action& action, const InstalledPackage& package);

}  // namespace kestrun
