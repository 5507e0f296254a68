#include "store/Locations.h"

#include <array>

namespace kestrun {
namespace {

const std::array<LocationInfo, 6> kLocations{{
    {slUserRun, HKEY_CURRENT_USER, false, kRunKey, kRunDisabledKey, nullptr},
    {slMachineRun, HKEY_LOCAL_MACHINE, false, kRunKey, kRunDisabledKey, nullptr},
    {slUserRunServices, HKEY_CURRENT_USER, false, kRunServicesKey, kRunServicesDisabledKey, nullptr},
    {slMachineRunServices, HKEY_LOCAL_MACHINE, false, kRunServicesKey, kRunServicesDisabledKey, nullptr},
    {slUserStartupFolder, HKEY_CURRENT_USER, true, nullptr, nullptr, kStartupValue},
    {slCommonStartupFolder, HKEY_LOCAL_MACHINE, true, nullptr, nullptr, kCommonStartupValue},
}};

}  // namespace

std::span<const LocationInfo> Locations() { return kLocations; }

const LocationInfo* FindLocation(std::int32_t code) {
  for (const auto& location : kLocations)
    if (location.code == code) return &location;
  return nullptr;
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
