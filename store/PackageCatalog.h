#pragma once
// The user's installed packages and the startup tasks their manifests declare, read as Windows keeps
// them (observed behaviour: Microsoft documents neither key). A manifest is another program's file: it
// is read within limits, and one that cannot be read leaves out its package alone, said once.
#include <optional>
#include <string>
#include <vector>

#include "store/Action.h"
#include "store/AppxManifest.h"

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

// A package's manifest as read, nothing said of it yet: reads may run side by side, what they met is
// said in the packages' order.
struct ManifestRead {
  std::string path;  // empty: the package's folder is no drive path
  ErrorCode file = ERROR_SUCCESS;
  HRESULT parsed = S_OK;
  AppxManifest manifest;
};

// Every package registered for the user with a folder.
std::vector<InstalledPackage> InstalledPackages(Action& action);
// The manifests of all, several read at once: each is a few round trips to the server under Wine.
std::vector<ManifestRead> ReadManifests(IPlatform& platform, const std::vector<InstalledPackage>& packages);
// The package's tasks; nothing when its manifest could not be read or understood, said as a warning.
std::optional<std::vector<PackagedTask>> PackageTasks(Action& action, const InstalledPackage& package,
                                                      const ManifestRead& read);
std::optional<std::vector<PackagedTask>> PackageTasks(Action& action, const InstalledPackage& package);

}  // namespace kestrun
