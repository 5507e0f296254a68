// The journal's line format: one JSON object a change, names and bytes exact.
#include "store/JournalRecord.h"

#include <algorithm>
#include <array>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "base/Base64.h"
#include "store/Locations.h"

namespace kestrun {
namespace {

using Json = nlohmann::ordered_json;

bool IsUtf8(const std::string& text) {
  try {
    (void)Json(text).dump();
    return true;
  } catch (const Json::exception&) {
    return false;
  }
}

// Names are WTF-8: one holding a lone surrogate is no UTF-8, which JSON cannot carry. Its exact
// bytes go beside it in base64, and reading prefers them, so undo reaches that very entry.
void PutText(Json& json, const char* key, const std::string& text) {
  json[key] = text;
  if (!IsUtf8(text)) json[std::string(key) + "Bytes"] = EncodeBase64(text);  // untranslated: a journal key
}

std::string GetText(const Json& json, const char* key) {
  const std::string bytesKey = std::string(key) + "Bytes";  // untranslated: a journal key
  if (json.contains(bytesKey) && json[bytesKey].is_string())
    if (std::optional<std::string> bytes = DecodeBase64(json[bytesKey].get<std::string>())) return *bytes;
  return json.contains(key) && json[key].is_string() ? json[key].get<std::string>() : std::string();
}

// A whole number that the integer type holds as it is (a 32-bit one of either sign).
template <typename Integer>
bool Fits(const Json& value) {
  constexpr auto kMin = static_cast<std::int64_t>(std::numeric_limits<Integer>::min());
  constexpr auto kMax = static_cast<std::int64_t>(std::numeric_limits<Integer>::max());
  if (value.is_number_unsigned()) return value.get<std::uint64_t>() <= static_cast<std::uint64_t>(kMax);
  return value.is_number_integer() && value.get<std::int64_t>() >= kMin && value.get<std::int64_t>() <= kMax;
}
constexpr std::array<std::pair<Absent, const char*>, 3> kAbsences{
    {{Absent::Value, "value"}, {Absent::Key, "key"}, {Absent::ParentKey, "parent-key"}}};

Json SideToJson(const JournalSide& side) {
  Json json = Json::object();
  PutText(json, "place", side.place);
  if (side.isTask) {
    PutText(json, "task", side.path);
    json["enabled"] = side.enabled;
  } else if (side.absent != Absent::No) {
    for (const auto& [absent, name] : kAbsences)
      if (absent == side.absent) json["absent"] = name;
  } else if (side.isFile) {
    PutText(json, "path", side.path);
    if (!side.backup.empty()) PutText(json, "backup", side.backup);
  } else {
    json["type"] = side.type;
    json["typeName"] = RegistryTypeName(side.type);
    json["data"] = EncodeBase64(side.data);
  }
  return json;
}

std::optional<JournalSide> SideFromJson(const Json& json) {
  if (!json.is_object() || !json.contains("place")) return std::nullopt;
  JournalSide side;
  side.place = GetText(json, "place");
  // A task's side names its task; lines written before tasks were listed have none.
  side.isTask = json.contains("task");
  if (side.isTask) {
    if (!json.contains("enabled") || !json["enabled"].is_boolean()) return std::nullopt;
    side.path = GetText(json, "task");
    side.enabled = json["enabled"].get<bool>();
    return side;
  }
  side.isFile = json.contains("path");
  if (json.contains("absent")) {
    for (const auto& [absent, name] : kAbsences)
      if (json["absent"] == name) side.absent = absent;
    return side.absent == Absent::No || side.isFile ? std::nullopt : std::optional(side);
  }
  if (side.isFile) {
    side.path = GetText(json, "path");
    side.backup = GetText(json, "backup");
    return side;
  }
  const std::optional<std::string> data = DecodeBase64(json.value("data", ""));
  // A type that does not fit its 32 bits would be cut to another one.
  if (!data || !json.contains("type") || !Fits<DWORD>(json["type"])) return std::nullopt;
  side.type = json["type"].get<DWORD>();
  side.data = *data;
  return side;
}

const std::set<std::string> kActions{"park",   "bring-back", "switch-on", "switch-off", "remove",
                                     "remove-flag", "create", "undo", "failed"};

// An id is a positive integer that fits; 0 when the field is absent.
bool GetId(const Json& json, const char* key, std::int64_t& id) {
  id = 0;
  if (!json.contains(key)) return true;
  const Json& value = json[key];
  if (value.is_number_unsigned()) {
    if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX) || value.get<std::uint64_t>() == 0) return false;
  } else if (!value.is_number_integer() || value.get<std::int64_t>() <= 0) {
    return false;
  }
  id = value.get<std::int64_t>();
  return true;
}

}  // namespace

std::string RegistryTypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "REG_" + std::to_string(type);
  }
}

bool SameSide(const std::optional<JournalSide>& a, const std::optional<JournalSide>& b) {
  if (!a || !b) return !a && !b;
  return a->place == b->place && a->isFile == b->isFile && a->isTask == b->isTask && a->enabled == b->enabled &&
         a->absent == b->absent && a->type == b->type && a->data == b->data && a->path == b->path;
}

JournalSide RegistrySide(HKEY hive, const std::string& keyPath, const RegValue& value) {
  JournalSide side;
  side.place = RegistryPlace(hive, keyPath);
  side.type = value.type;
  side.data = value.data;
  return side;
}

JournalSide AbsentSide(HKEY hive, const std::string& keyPath, Absent absent) {
  JournalSide side;
  side.place = RegistryPlace(hive, keyPath);
  side.absent = absent;
  return side;
}

JournalSide FileSide(const std::string& path) {
  JournalSide side;
  side.isFile = true;
  side.path = path;
  const size_t slash = path.rfind('\\');
  side.place = slash == std::string::npos ? std::string() : path.substr(0, slash);
  return side;
}

JournalSide TaskSide(const std::string& taskFolder, const std::string& taskPath, bool enabled) {
  JournalSide side;
  side.place = taskFolder;
  side.isTask = true;
  side.enabled = enabled;
  side.path = taskPath;
  return side;
}

std::string FormatJournalLine(const JournalRecord& record) {
  Json json{{"id", record.id},         {"time", record.time},         {"program", record.program},
            {"action", record.action}, {"location", record.location}};
  PutText(json, "name", record.name);
  if (record.from) json["from"] = SideToJson(*record.from);
  if (record.to) json["to"] = SideToJson(*record.to);
  if (record.replaced) json["replaced"] = SideToJson(*record.replaced);
  if (record.undoes) json["undoes"] = record.undoes;
  if (record.fails) json["fails"] = record.fails;
  if (record.group) json["group"] = record.group;
  if (!record.done) json["done"] = 0;  // last: the journal finds the digit it turns to 1 at the line's end
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<JournalRecord> ParseJournalLine(const std::string& line) {
  const Json json = Json::parse(line, nullptr, false);
  if (json.is_discarded() || !json.is_object()) return std::nullopt;
  try {
    JournalRecord record;
    if (!GetId(json, "id", record.id) || record.id == 0) return std::nullopt;
    record.time = json.value("time", "");
    record.program = json.value("program", "");
    record.action = json.at("action").get<std::string>();
    if (!kActions.contains(record.action)) return std::nullopt;
    if (json.contains("location") && !Fits<std::int32_t>(json["location"])) return std::nullopt;
    record.location = json.value("location", 0);
    if (!json.contains("name")) return std::nullopt;
    record.name = GetText(json, "name");
    if (!GetId(json, "undoes", record.undoes) || !GetId(json, "fails", record.fails) ||
        !GetId(json, "group", record.group))
      return std::nullopt;
    if (json.contains("done")) {
      if (!json["done"].is_number_integer()) return std::nullopt;
      record.done = json["done"].get<std::int64_t>() != 0;
    }
    for (auto [key, side] : {std::pair{"from", &record.from}, {"to", &record.to}, {"replaced", &record.replaced}}) {
      if (!json.contains(key)) continue;
      *side = SideFromJson(json[key]);
      if (!*side) return std::nullopt;
    }
    return record;
  } catch (const Json::exception&) {
    return std::nullopt;
  }
}

std::string IdText(bool machine, std::int64_t id) {
  std::string text(machine ? "M" : "");
  return text += std::to_string(id);
}

std::optional<std::pair<bool, std::int64_t>> ParseIdText(const std::string& given) {
  // "#3" and "#M3" as undo and history print them.
  const std::string text = given.substr(!given.empty() && given[0] == '#' ? 1 : 0);
  const bool machine = !text.empty() && (text[0] == 'M' || text[0] == 'm');
  const std::string digits = text.substr(machine ? 1 : 0);
  if (digits.empty() || digits.size() > 18 || digits[0] == '0' ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::pair{machine, std::stoll(digits)};
}

}  // namespace kestrun
