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

std::string DisabledFolderOf(const std::string& startupFolder) {
  // In UTF-8 a backslash byte never occurs inside a multi-byte character.
  const size_t slash = startupFolder.rfind('\\');
  const std::string parent = slash == std::string::npos ? "" : startupFolder.substr(0, slash + 1);
  return parent + kDisabledFolderName;
}

}  // namespace kestrun
