#pragma once
// Choosing one entry from the command line: by name and location, optionally by where it lies.
#include <cstdint>
#include <optional>
#include <string>

#include "store/StartupStore.h"

namespace kestrun::cli {

// Enabled: Windows starts it; Disabled: it does not (parked, or switched off by Windows); Live and
// Parked: where it lies, whatever its StartupApproved flag says.
enum class StateFilter { Any, Enabled, Disabled, Live, Parked };

// A location code ("1", "16") or short name ("HKCU Run", "hkcu-run", "user_startup"), any case.
std::optional<std::int32_t> ParseLocation(const std::string& text);
// "enabled", "disabled" or "any".
std::optional<StateFilter> ParseState(const std::string& text);
// The accepted location names with their codes, for help and messages.
std::string LocationChoices();

struct Selected {
  StartupRow* row = nullptr;  // not owned; null when error says why
  std::string error;
  bool severalPlaces = false;  // the name is in more than one place: a location must be given
};

// The one row of that name at that location and state: an exact name first, else the only one that
// differs in letter case alone (the registry and the file system ignore case). No row, or several,
// is an error naming the problem.
Selected SelectRow(StartupRows& rows, const std::string& name, std::int32_t location, StateFilter state);

// As SelectRow; without a location, the one location that holds the name. A name held by several
// locations is an error listing them, so that the caller can add --location.
Selected SelectByName(StartupRows& rows, const std::string& name, std::optional<std::int32_t> location,
                      StateFilter state);

}  // namespace kestrun::cli
