// Packages from the AppModel repository, tasks from their manifests, names as Task Manager shows them.
#include "store/PackageCatalog.h"

#include "base/Concurrent.h"
#include "base/Texts.h"
#include "store/AppxManifest.h"
#include "store/Locations.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

constexpr const char* kManifestName = "AppxManifest.xml";
// The user's installed packages: one key a package (its full name), naming its folder.
constexpr const char* kPackagesKey =
    "\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\Repository\\Packages";

// Manifests are read here alone, so that one safe way of reading files can take over in one place.
ErrorCode ReadManifestFile(IPlatform& platform, const std::string& path, std::string& bytes) {
  return platform.ReadSmallFile(path, kMaxManifestBytes, bytes);
}

bool IsDrivePath(const std::string& path) {
  const char c = path.empty() ? '\0' : static_cast<char>(path[0] | 0x20);
  return path.size() >= 3 && c >= 'a' && c <= 'z' && path[1] == ':' && path[2] == '\\';
}

std::string XmlFaultText(IPlatform& platform, HRESULT hr) {
  if (hr == kXmlDtdProhibited) return Text(IDS_MANIFEST_DTD);
  if (hr == kXmlTooDeep) return Text(IDS_MANIFEST_TOO_DEEP, {std::to_string(kMaxManifestDepth)});
  if (hr == kXmlEndedEarly) return Text(IDS_MANIFEST_ENDED);
  return Text(IDS_MANIFEST_NOT_XML, {platform.SystemErrorText(static_cast<ErrorCode>(hr))});
}

std::string FileFaultText(IPlatform& platform, ErrorCode rc) {
  if (rc == ERROR_FILE_TOO_LARGE) return Text(IDS_FILE_TOO_LARGE, {std::to_string(kMaxManifestBytes >> 20)});
  if (rc == kErrorIsLink) return Text(IDS_FILE_IS_LINK);
  if (rc == ERROR_BAD_FILE_TYPE) return Text(IDS_FILE_NOT_ORDINARY);
  return platform.SystemErrorText(rc);
}

void LeaveOut(Action& action, const InstalledPackage& package, const std::string& where, const std::string& why) {
  action.Fail(MakeFailure(Failure::Kind::Warning,
                          Text(IDS_PACKAGE_LEFT_OUT, {package.fullName, where}), why));
}

// What was read is said here, in the packages' order, whatever order the reads took.
bool SayManifestFault(Action& action, const InstalledPackage& package, const ManifestRead& read) {
  IPlatform& platform = action.Platform();
  if (read.path.empty())
    LeaveOut(action, package, Text(IDS_PACKAGE_ROOT_FOLDER), Text(IDS_NOT_DRIVE_PATH, {package.folder}));
  else if (read.file != ERROR_SUCCESS)
    LeaveOut(action, package, read.path, FileFaultText(platform, read.file));
  else if (FAILED(read.parsed))
    LeaveOut(action, package, read.path, XmlFaultText(platform, read.parsed));
  else
    return false;
  return true;
}

ManifestRead ReadManifest(IPlatform& platform, const InstalledPackage& package) {
  ManifestRead read;
  if (!IsDrivePath(package.folder)) return read;
  const std::string folder = package.folder.back() == '\\' ? package.folder.substr(0, package.folder.size() - 1)
                                                           : package.folder;
  read.path = folder + "\\" + kManifestName;
  std::string bytes;
  read.file = ReadManifestFile(platform, read.path, bytes);
  if (read.file != ERROR_SUCCESS) return read;
  ManifestReader reader;
  read.parsed = platform.ParseXml(bytes, kMaxManifestDepth, [&](const XmlNode& node) { reader.Visit(node); });
  if (SUCCEEDED(read.parsed)) read.manifest = reader.Manifest();
  return read;
}

// The task's own name where the shell can resolve it, else the package's name, else the task id.
std::string DisplayName(IPlatform& platform, const InstalledPackage& package, const AppxManifest& manifest,
                        const ManifestTask& task) {
  std::string name = task.displayName;
  if (IsResourceReference(name)) {
    const std::string packageName =
        manifest.identityName.empty() ? package.fullName.substr(0, package.fullName.find('_')) : manifest.identityName;
    const std::string source = "@{" + package.fullName + "?" + ResourceUri(name, packageName) + "}";
    if (FAILED(platform.LoadIndirectString(source, name))) name.clear();
  }
  if (name.empty() && !IsResourceReference(manifest.displayName)) name = manifest.displayName;
  return name.empty() ? task.taskId : name;
}

std::string Joined(const std::string& folder, std::string executable) {
  for (char& c : executable)
    if (c == '/') c = '\\';
  if (executable.empty()) return {};
  return folder + (folder.back() == '\\' ? "" : "\\") + executable;
}

}  // namespace

std::vector<InstalledPackage> InstalledPackages(Action& action) {
  std::vector<InstalledPackage> packages;
  RegistryAccess* repository = action.Key(HKEY_CURRENT_USER, kPackagesKey);
  if (!repository) return packages;  // no packaged apps at all (an older Windows, Wine)
  std::vector<std::string> names;
  repository->GetSubKeys(names);
  for (std::string& name : names) {
    RegistryAccess* key = action.Key(HKEY_CURRENT_USER, std::string(kPackagesKey) + "\\" + name);
    const std::optional<RegValue> folder = key ? key->ReadValue("PackageRootFolder") : std::nullopt;
    // Without a folder it is no package installed for the user (staged, or being removed).
    if (!folder || folder->data.empty()) continue;
    InstalledPackage package{name, FamilyNameOf(name), {}};
    if (ReadsAsString(*folder)) package.folder = DecodeStringValue(*folder);
    if (package.familyName.empty()) continue;  // no full name: nothing of Windows' own
    packages.push_back(std::move(package));
  }
  return packages;
}

std::vector<ManifestRead> ReadManifests(IPlatform& platform, const std::vector<InstalledPackage>& packages) {
  std::vector<ManifestRead> reads(packages.size());
  ForEachConcurrently(packages.size(), platform.Concurrency(),
                      [&](std::size_t i) { reads[i] = ReadManifest(platform, packages[i]); });
  return reads;
}

std::optional<std::vector<PackagedTask>> PackageTasks(Action& action, const InstalledPackage& package,
                                                      const ManifestRead& read) {
  if (SayManifestFault(action, package, read)) return std::nullopt;
  std::vector<PackagedTask> tasks;
  for (const ManifestTask& task : read.manifest.tasks)
    tasks.push_back({DisplayName(action.Platform(), package, read.manifest, task),
                     std::string(kTaskStatesKey) + "\\" + package.familyName + "\\" + task.taskId,
                     Joined(package.folder, task.executable), task.enabled});
  return tasks;
}

std::optional<std::vector<PackagedTask>> PackageTasks(Action& action, const InstalledPackage& package) {
  return PackageTasks(action, package, ReadManifest(action.Platform(), package));
}

}  // namespace kestrun
