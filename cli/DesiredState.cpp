// The desired-state file read strictly (what it cannot mean is refused, never guessed), written by
// export, and each item judged against the rows.
#include "cli/DesiredState.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

#include "base/Text.h"
#include "base/Texts.h"
#include "cli/JsonText.h"
#include "cli/Output.h"
#include "cli/Selection.h"
#include "cli/TextIds.h"

namespace kestrun::cli {
namespace {

using Json = nlohmann::ordered_json;

std::optional<WantedEntry> ItemOf(const Json& item, std::string& error) {
  if (!item.is_object() || !item.contains("name") || !item["name"].is_string()) {
    error = Text(IDS_ITEM_WITHOUT_NAME);
    return std::nullopt;
  }
  WantedEntry wanted;
  wanted.name = RestoreSurrogates(item["name"].get<std::string>());
  const bool named = item.contains("state") && item["state"].is_string();
  const std::string state = named ? item["state"].get<std::string>() : "";
  if (state != "enabled" && state != "disabled") {
    error = Text(IDS_ITEM_STATE, {wanted.name});
    return std::nullopt;
  }
  wanted.enabled = state == "enabled";
  if (item.contains("location") && !item["location"].is_null()) {
    const Json& location = item["location"];
    wanted.locationText = location.is_string() ? RestoreSurrogates(location.get<std::string>())
                                                : location.dump(-1, ' ', false, Json::error_handler_t::replace);
    wanted.location = ParseLocation(wanted.locationText);
    if (!wanted.location) {
      error = Text(IDS_ITEM_LOCATION, {wanted.name, wanted.locationText, LocationChoices()});
      return std::nullopt;
    }
  }
  return wanted;
}

// Two items naming one entry would have apply flip it on every run: the file is malformed. An item
// without a location names the entry wherever it is, so it meets any item of the same name.
bool Twice(std::vector<WantedEntry> items, std::string& error) {
  std::stable_sort(items.begin(), items.end(), [](auto& a, auto& b) { return NameBefore(a.name, b.name); });
  for (size_t i = 0; i < items.size(); ++i)
    for (size_t k = i + 1; k < items.size() && SameName(items[i].name, items[k].name); ++k)
      if (!items[i].location || !items[k].location || *items[i].location == *items[k].location) {
        error = Text(IDS_ITEMS_TWICE, {items[i].name, items[k].name});
        return true;
      }
  return false;
}

// The text parsed; a key twice in one object is refused, where the parser would keep the last.
Json Parse(const std::string& text, std::string& error) {
  error.clear();
  std::vector<std::set<std::string>> open;
  Json json = Json::parse(text, [&](int, Json::parse_event_t event, Json& parsed) {
    if (event == Json::parse_event_t::object_start) open.emplace_back();
    if (event == Json::parse_event_t::object_end && !open.empty()) open.pop_back();
    if (event == Json::parse_event_t::key && !open.empty() && !open.back().insert(parsed.get<std::string>()).second &&
        error.empty())
      error = Text(IDS_KEY_TWICE, {RestoreSurrogates(parsed.get<std::string>())});
    return true;
  }, false);
  return error.empty() ? json : Json(Json::value_t::discarded);
}

}  // namespace

std::optional<std::vector<WantedEntry>> ReadDesiredState(IPlatform& platform, const std::string& file,
                                                         std::string& error) {
  std::string bytes;
  if (const ErrorCode rc = platform.ReadFileData(file, bytes); rc != ERROR_SUCCESS) {
    error = file + ": " + platform.SystemErrorText(rc);
    return std::nullopt;
  }
  const std::optional<std::string> text = PrepareJson(bytes, error);
  if (!text) {
    error = file + ": " + error;
    return std::nullopt;
  }
  Json json = Parse(*text, error);
  if (json.is_object() && json.contains("entries")) json = json["entries"];
  if (json.is_discarded() || !json.is_array()) {
    error = file + ": " + (error.empty() ? Text(IDS_NOT_AN_ARRAY) : error);
    return std::nullopt;
  }
  std::vector<WantedEntry> items;
  for (const Json& item : json) {
    std::optional<WantedEntry> wanted = ItemOf(item, error);
    if (!wanted) {
      error = file + ": " + error;
      return std::nullopt;
    }
    items.push_back(std::move(*wanted));
  }
  if (Twice(items, error)) {
    error = file + ": " + error;
    return std::nullopt;
  }
  return items;
}

std::string FormatDesiredState(const StartupRows& rows) {
  // Written by hand, as the library would indent it, so that a name keeps its exact UTF-16.
  std::string text;
  for (const StartupRow& row : rows)
    text += std::string(text.empty() ? "[\n" : ",\n") + "  {\n    \"name\": " + JsonQuote(row.name) +
            ",\n    \"location\": " + JsonQuote(LocationName(row.record.GetLocation())) +
            ",\n    \"state\": " + JsonQuote(StateName(row)) + "\n  }";
  return (text.empty() ? "[]" : text + "\n]") + "\n";
}

std::string Describe(const WantedEntry& wanted, std::int32_t location) {
  return Text(IDS_WANTED_ENTRY, {wanted.name, location ? LocationName(location) : Text(IDS_ANY_LOCATION)});
}

SameBytes SameBytesOf(StartupStore& store) {
  return [&store](const StartupRow& a, const StartupRow& b) { return store.SameBytes(a, b); };
}

Standing Judge(StartupRows& rows, const WantedEntry& wanted, const SameBytes& sameBytes) {
  Standing standing;
  // Which location: the one given, else the only one holding the name.
  std::int32_t location = wanted.location.value_or(0);
  if (!location) {
    const Selected any = SelectByName(rows, wanted.name, std::nullopt, StateFilter::Any);
    if (any.severalPlaces) {
      standing.error = any.error;
      return standing;
    }
    for (const StartupRow& row : rows)
      if (SameName(row.name, wanted.name)) location = row.record.GetLocation();
  }
  standing.location = location;
  StartupRow* live = location ? SelectRow(rows, wanted.name, location, StateFilter::Enabled).row : nullptr;
  StartupRow* parked = location ? SelectRow(rows, wanted.name, location, StateFilter::Disabled).row : nullptr;
  if (!live && !parked) {
    standing.error = Text(IDS_NO_ENTRY, {Describe(wanted, location)});
    return standing;
  }
  standing.exists = true;
  standing.enabled = live != nullptr;
  standing.halfMoved = live && parked && sameBytes(*live, *parked);
  if (wanted.enabled && (!live || standing.halfMoved)) standing.move = parked;
  if (!wanted.enabled && live) {
    if (parked && !standing.halfMoved)
      standing.error = Text(IDS_PARKING_WOULD_OVERWRITE, {Describe(wanted, location)});
    else
      standing.move = live;
  }
  return standing;
}

}  // namespace kestrun::cli
