#include "cli/Selection.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/Text.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

// Lower case, with "-" and "_" read as a blank: "HKCU Run", "hkcu-run" and "HKCU_RUN" are one name.
std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    if (c == '-' || c == '_') c = ' ';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool Matches(const StartupRow& row, std::int32_t location, StateFilter state) {
  if (row.record.GetLocation() != location) return false;
  switch (state) {
    case StateFilter::Enabled: return StartsAtLogOn(row);
    case StateFilter::Disabled: return !StartsAtLogOn(row);
    case StateFilter::Live: return row.record.GetEnabled() == 1;
    case StateFilter::Parked: return row.record.GetEnabled() == 0;
    case StateFilter::Any: break;
  }
  return true;
}

std::vector<StartupRow*> Candidates(StartupRows& rows, const std::string& name, std::int32_t location,
                                     StateFilter state, bool ignoreCase) {
  std::vector<StartupRow*> found;
  for (StartupRow& row : rows) {
    if (!Matches(row, location, state)) continue;
    if (ignoreCase ? SameName(row.name, name) : row.name == name) found.push_back(&row);
  }
  return found;
}

std::string Describe(const std::string& name, std::int32_t location, StateFilter state) {
  std::string text = "'" + name + "' in " + LocationName(location);
  if (state == StateFilter::Enabled) text += " (enabled)";
  if (state == StateFilter::Disabled) text += " (disabled)";
  if (state == StateFilter::Live) text += " (in its live place)";
  if (state == StateFilter::Parked) text += " (parked)";
  return text;
}

}  // namespace

Selected SelectByName(StartupRows& rows, const std::string& name, std::optional<std::int32_t> location,
                      StateFilter state) {
  if (location) return SelectRow(rows, name, *location, state);
  std::vector<std::int32_t> places;
  std::string listed;
  for (const StartupRow& row : rows) {
    const std::int32_t code = row.record.GetLocation();
    if (!Matches(row, code, state) || !SameName(row.name, name)) continue;
    listed += "\n  " + LocationName(code) + " (" + StateName(row) + "): " + row.name + " -> " + row.path;
    if (std::find(places.begin(), places.end(), code) == places.end()) places.push_back(code);
  }
  if (places.size() == 1) return SelectRow(rows, name, places.front(), state);
  if (places.empty()) {
    std::string text = "no entry '" + name + "'";
    if (state == StateFilter::Enabled) text += " is enabled";
    if (state == StateFilter::Disabled) text += " is disabled";
    return {nullptr, text};
  }
  return {nullptr, "'" + name + "' is in " + std::to_string(places.size()) +
                       " places: choose one with --location" + listed};
}

std::optional<std::int32_t> ParseLocation(const std::string& text) {
  for (const LocationInfo& location : Locations()) {
    if (Folded(text) == Folded(LocationName(location.code)) || text == std::to_string(location.code))
      return location.code;
  }
  return std::nullopt;
}

std::optional<StateFilter> ParseState(const std::string& text) {
  const std::string folded = Folded(text);
  if (folded == "enabled") return StateFilter::Enabled;
  if (folded == "disabled") return StateFilter::Disabled;
  if (folded == "any") return StateFilter::Any;
  return std::nullopt;
}

std::string LocationChoices() {
  std::string text;
  for (const LocationInfo& location : Locations()) {
    if (!text.empty()) text += ", ";
    text.append("\"").append(LocationName(location.code)).append("\" (");
    text.append(std::to_string(location.code)).append(")");
  }
  return text;
}

Selected SelectRow(StartupRows& rows, const std::string& name, std::int32_t location, StateFilter state) {
  std::vector<StartupRow*> found = Candidates(rows, name, location, state, false);
  if (found.empty()) found = Candidates(rows, name, location, state, true);
  if (found.size() == 1) return {found.front(), {}};
  if (found.empty()) return {nullptr, "no entry " + Describe(name, location, state)};
  if (found.size() == 2 && found[0]->record.GetEnabled() != found[1]->record.GetEnabled()) {
    if (state == StateFilter::Any)
      return {nullptr, Describe(name, location, state) +
                           " is both enabled and disabled: choose one with --state enabled or --state disabled"};
    return {nullptr, Describe(name, location, state) +
                         " is both switched off by Windows in its live place and parked: remove one of them first"};
  }
  return {nullptr, Describe(name, location, state) + " names " + std::to_string(found.size()) +
                       " entries that differ only in letter case: give the exact name"};
}

}  // namespace kestrun::cli
