#include "cli/Selection.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/Text.h"
#include "base/Texts.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

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
  switch (state) {
    case StateFilter::Enabled: return Text(IDS_NAMED_ENABLED, {name, LocationName(location)});
    case StateFilter::Disabled: return Text(IDS_NAMED_DISABLED, {name, LocationName(location)});
    case StateFilter::Live: return Text(IDS_NAMED_LIVE, {name, LocationName(location)});
    case StateFilter::Parked: return Text(IDS_NAMED_PARKED, {name, LocationName(location)});
    case StateFilter::Any: break;
  }
  return Text(IDS_NAMED_IN, {name, LocationName(location)});
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
    listed += "\n  " + LocationName(code) + " (" + StateText(row) + "): " + row.name + " -> " + row.path;
    if (std::find(places.begin(), places.end(), code) == places.end()) places.push_back(code);
  }
  if (places.size() == 1) return SelectRow(rows, name, places.front(), state);
  if (places.empty()) {
    if (state == StateFilter::Enabled) return {nullptr, Text(IDS_NO_ENABLED_ENTRY, {name})};
    if (state == StateFilter::Disabled) return {nullptr, Text(IDS_NO_DISABLED_ENTRY, {name})};
    return {nullptr, Text(IDS_NO_ENTRY_NAMED, {name})};
  }
  return {nullptr, Text(IDS_SEVERAL_PLACES, {name, std::to_string(places.size())}) + listed, true};
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
  if (found.empty()) return {nullptr, Text(IDS_NO_ENTRY, {Describe(name, location, state)})};
  if (found.size() == 2 && found[0]->record.GetEnabled() != found[1]->record.GetEnabled()) {
    if (state == StateFilter::Any) return {nullptr, Text(IDS_BOTH_STATES, {Describe(name, location, state)})};
    return {nullptr, Text(IDS_SWITCHED_OFF_AND_PARKED, {Describe(name, location, state)})};
  }
  return {nullptr, Text(IDS_LETTER_CASE, {Describe(name, location, state), std::to_string(found.size())})};
}

}  // namespace kestrun::cli
