#pragma once
// The desired-state file of export, apply and check: a JSON array of {name, location, state}
// (or an object holding it as "entries"), and how the machine stands against each item.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/StartupStore.h"

namespace kestrun::cli {

struct WantedEntry {
  std::string name;
  std::optional<std::int32_t> location;  // none: wherever the name is, when that is one place
  std::string locationText;              // as the file gives it, for messages
  bool enabled = true;
};

// The file's items, or the reason it cannot be used in error.
std::optional<std::vector<WantedEntry>> ReadDesiredState(IPlatform& platform, const std::string& file,
                                                         std::string& error);
// Every entry, as export writes it.
std::string FormatDesiredState(const StartupRows& rows);

struct Standing {
  std::string error;        // the item cannot be met: no such entry, several places, in the way
  StartupRow* move = nullptr;  // the entry to move to meet the item; null when it is met already
  std::int32_t location = 0;
  bool exists = false;      // the entry was found
  bool enabled = false;     // where the entry lies now
  bool halfMoved = false;   // in both places with the same bytes: a move stopped half way, which move finishes
};

// Whether two rows of one name, in a place's two places, hold the same bytes (StartupStore::SameBytes).
using SameBytes = std::function<bool(const StartupRow&, const StartupRow&)>;

// sameBytes tells a move stopped half way from two different entries of one name.
Standing Judge(StartupRows& rows, const WantedEntry& wanted, const SameBytes& sameBytes);
// The store's answer, for Judge.
SameBytes SameBytesOf(StartupStore& store);

// The item for messages: "'name' (HKCU Run)".
std::string Describe(const WantedEntry& wanted, std::int32_t location);

}  // namespace kestrun::cli
