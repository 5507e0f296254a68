#pragma once
// The startup locations, their keys, values and folders, and the rule for disabled folders.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "store/platform/Platform.h"

namespace kestrun {

enum StartupLocation : std::int32_t {
  slUserRun = 1,
  slUserRunServices = 2,
  slUserStartupFolder = 4,
  slCommonStartupFolder = 8,
  slMachineRun = 16,
  slMachineRunServices = 32,
  slMachineRun32 = 64,     // HKLM Run as 32-bit programs see it (Software\WOW6432Node\...)
  slUserRunOnce = 128,
  slMachineRunOnce = 256,
  slPackagedTasks = 512,  // packaged apps' startup tasks, switched where they are
  slScheduledTasks = 1024,  // tasks of the Task Scheduler that start at log-on or boot
};

inline constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunDisabledKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run-";
inline constexpr const char* kRunServicesKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
inline constexpr const char* kRunServicesDisabledKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices-";
inline constexpr const char* kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRunOnceDisabledKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce-";
// Where Explorer (Windows 8 and later) keeps the switches of Task Manager's Startup page, per hive.
inline constexpr const char* kApprovedRunKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr const char* kApprovedRun32Key =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";
inline constexpr const char* kApprovedFolderKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";
inline constexpr const char* kShellFoldersKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kStartupValue = "Startup";  // untranslated: a name Windows gives
inline constexpr const char* kCommonStartupValue = "Common Startup";  // untranslated: a name Windows gives
inline constexpr const char* kDisabledFolderName = "Disabled Startup Items";  // untranslated: a name Windows gives
// Where Windows keeps the user's switch of each packaged app's startup task: <family name>\<task id>,
// DWORD State.
inline constexpr const char* kTaskStatesKey =
    "\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\SystemAppData";

// Which unit of the store reads and changes a location's entries (store/EntryKind.h).
enum class KindId { RegistryValue, StartupFile, PackagedTask, ScheduledTask };

struct LocationInfo {
  StartupLocation code;
  HKEY hive;
  KindId kind;
  const char* liveKey;      // registry kinds; packaged tasks: the key holding their switches; nullptr for the others
  const char* disabledKey;  // registry kinds; nullptr for the others
  const char* folderValue;  // folder kinds: the Shell Folders value; nullptr for registry kinds
  RegistryView view;        // the registry view of liveKey and disabledKey
  const char* approvedKey;  // the StartupApproved key of the hive, always in the native view; or nullptr
};

// The locations in the scan's order of live places: user Run, machine Run, user RunServices,
// machine RunServices, user Startup folder, common Startup folder; then the later places, machine
// Run of 32-bit programs, user RunOnce, machine RunOnce, packaged apps' startup tasks and the scheduled
// tasks.
std::span<const LocationInfo> Locations();
// How many of Locations() are the first six, scanned all live places first, then all disabled ones.
inline constexpr size_t kFirstLocations = 6;
// The place's name as the window and the console tool show it: "HKCU Run", "HKLM Run (32-bit)",
// "Common Startup"...; "?" for an unknown code.
const char* PlaceName(std::int32_t code);
// nullptr for a code that names no place.
const LocationInfo* FindLocation(std::int32_t code);

// A key of the location as the native registry names it (the journal and messages): a 32-bit one
// by its WOW6432Node path.
std::string NativeKeyPath(const LocationInfo& location, const char* key);
// "HKCU\<key path>" or "HKLM\<key path>", and back into its hive and the key path (with a leading backslash).
std::string RegistryPlace(HKEY hive, const std::string& keyPath);
bool SplitRegistryPlace(const std::string& place, HKEY& hive, std::string& keyPath);

// A path that names one place whatever the current directory: "X:\..." or "\\server\...".
bool IsFullPath(const std::string& path);

// A listed name that can be a file of its folder: not empty, and no "\" or "/" in it (a Unix name
// can hold a backslash, and would be taken for a path into a subfolder).
bool IsEntryFileName(const std::string& name);

// Up to and including the last backslash of the Startup folder path, then "Disabled Startup Items".
std::string DisabledFolderOf(const std::string& startupFolder);

}  // namespace kestrun
