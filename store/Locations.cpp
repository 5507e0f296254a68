#include "store/Locations.h"

#include <array>

namespace kestrun {
namespace {

constexpr RegistryView kNative = RegistryView::Native;
constexpr KindId kValues = KindId::RegistryValue;
constexpr KindId kFiles = KindId::StartupFile;

const std::array<LocationInfo, 11> kLocations{{
    {slUserRun, HKEY_CURRENT_USER, kValues, kRunKey, kRunDisabledKey, nullptr, kNative, kApprovedRunKey},
    {slMachineRun, HKEY_LOCAL_MACHINE, kValues, kRunKey, kRunDisabledKey, nullptr, kNative, kApprovedRunKey},
    {slUserRunServices, HKEY_CURRENT_USER, kValues, kRunServicesKey, kRunServicesDisabledKey, nullptr, kNative,
     nullptr},
    {slMachineRunServices, HKEY_LOCAL_MACHINE, kValues, kRunServicesKey, kRunServicesDisabledKey, nullptr, kNative,
     nullptr},
    {slUserStartupFolder, HKEY_CURRENT_USER, kFiles, nullptr, nullptr, kStartupValue, kNative, kApprovedFolderKey},
    {slCommonStartupFolder, HKEY_LOCAL_MACHINE, kFiles, nullptr, nullptr, kCommonStartupValue, kNative,
     kApprovedFolderKey},
    // The 32-bit view redirects these paths into Software\WOW6432Node, parking key included.
    {slMachineRun32, HKEY_LOCAL_MACHINE, kValues, kRunKey, kRunDisabledKey, nullptr, RegistryView::Bits32,
     kApprovedRun32Key},
    // RunOnce has no StartupApproved switch: parking is the only way to stop it.
    {slUserRunOnce, HKEY_CURRENT_USER, kValues, kRunOnceKey, kRunOnceDisabledKey, nullptr, kNative, nullptr},
    {slMachineRunOnce, HKEY_LOCAL_MACHINE, kValues, kRunOnceKey, kRunOnceDisabledKey, nullptr, kNative, nullptr},
    {slPackagedTasks, HKEY_CURRENT_USER, KindId::PackagedTask, kTaskStatesKey, nullptr, nullptr, kNative, nullptr},
    // Machine-wide: the Task Scheduler keeps every user's tasks, and a task is switched for all of them.
    {slScheduledTasks, HKEY_LOCAL_MACHINE, KindId::ScheduledTask, nullptr, nullptr, nullptr, kNative, nullptr},
}};

}  // namespace

std::span<const LocationInfo> Locations() { return kLocations; }

const char* PlaceName(std::int32_t code) {
  switch (code) {
    case slUserRun: return "HKCU Run";  // untranslated: a place name
    case slMachineRun: return "HKLM Run";  // untranslated: a place name
    case slUserRunServices: return "HKCU RunServices";  // untranslated: a place name
    case slMachineRunServices: return "HKLM RunServices";  // untranslated: a place name
    case slUserStartupFolder: return "User Startup";  // untranslated: a place name
    case slCommonStartupFolder: return "Common Startup";  // untranslated: a place name
    case slMachineRun32: return "HKLM Run (32-bit)";  // untranslated: a place name
    case slUserRunOnce: return "HKCU RunOnce";  // untranslated: a place name
    case slMachineRunOnce: return "HKLM RunOnce";  // untranslated: a place name
    case slPackagedTasks: return "Packaged Apps";  // untranslated: a place name
    case slScheduledTasks: return "Scheduled Tasks";  // untranslated: a place name
    default: return "?";
  }
}

const LocationInfo* FindLocation(std::int32_t code) {
  for (const auto& location : kLocations)
    if (location.code == code) return &location;
  return nullptr;
}

std::string NativeKeyPath(const LocationInfo& location, const char* key) {
  if (location.view != RegistryView::Bits32) return key;
  return "\\Software\\WOW6432Node" + std::string(key).substr(std::string("\\Software").size());
}

std::string RegistryPlace(HKEY hive, const std::string& keyPath) {
  const std::string key = keyPath.rfind('\\', 0) == 0 ? keyPath.substr(1) : keyPath;
  return std::string(hive == HKEY_LOCAL_MACHINE ? "HKLM\\" : "HKCU\\") + key;
}

bool SplitRegistryPlace(const std::string& place, HKEY& hive, std::string& keyPath) {
  if (place.rfind("HKCU\\", 0) == 0)
    hive = HKEY_CURRENT_USER;
  else if (place.rfind("HKLM\\", 0) == 0)
    hive = HKEY_LOCAL_MACHINE;
  else
    return false;
  keyPath = place.substr(4);
  return true;
}

bool IsFullPath(const std::string& path) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() >= 3 && letter(path[0]) && path[1] == ':' && path[2] == '\\') return true;
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

bool IsEntryFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/") == std::string::npos;
}

std::string DisabledFolderOf(const std::string& startupFolder) {
  // In WTF-8 a backslash byte never occurs inside a multi-byte character.
  const size_t slash = startupFolder.rfind('\\');
  const std::string parent = slash == std::string::npos ? "" : startupFolder.substr(0, slash + 1);
  return parent + kDisabledFolderName;
}

}  // namespace kestrun
