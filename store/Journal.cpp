#include "store/Journal.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>

#include "base/Base64.h"
#include "store/AdminFolder.h"
#include "store/Locations.h"

namespace kestrun {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kAppFolder = "Tamsel Soft\\Kestrun";

std::string UtcNow() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  char text[32];
  snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

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
  if (!IsUtf8(text)) json[std::string(key) + "Bytes"] = EncodeBase64(text);
}

std::string GetText(const Json& json, const char* key) {
  const std::string bytesKey = std::string(key) + "Bytes";
  if (json.contains(bytesKey) && json[bytesKey].is_string())
    if (std::optional<std::string> bytes = DecodeBase64(json[bytesKey].get<std::string>())) return *bytes;
  return json.contains(key) && json[key].is_string() ? json[key].get<std::string>() : std::string();
}

Json SideToJson(const JournalSide& side) {
  Json json = Json::object();
  PutText(json, "place", side.place);
  if (side.isFile) {
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
  side.isFile = json.contains("path");
  if (side.isFile) {
    side.path = GetText(json, "path");
    side.backup = GetText(json, "backup");
    return side;
  }
  const std::optional<std::string> data = DecodeBase64(json.value("data", ""));
  if (!data || !json.contains("type")) return std::nullopt;
  side.type = json["type"].get<DWORD>();
  side.data = *data;
  return side;
}

const std::set<std::string> kActions{"park",   "bring-back", "switch-on", "remove", "remove-flag",
                                     "create", "undo",       "failed"};

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

void Split(const std::string& bytes, std::vector<std::string>& lines) {
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
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

namespace {

bool SameEntry(const std::optional<JournalSide>& a, const std::optional<JournalSide>& b) {
  if (!a || !b) return !a && !b;
  return a->place == b->place && a->isFile == b->isFile && a->type == b->type && a->data == b->data &&
         a->path == b->path;
}

}  // namespace

std::map<std::int64_t, std::int64_t> UndoneBy(const std::vector<JournalRecord>& records) {
  std::map<std::int64_t, const JournalRecord*> byId;
  for (const JournalRecord& record : records) byId.emplace(record.id, &record);
  // Only an undo that mirrors a real change counts: a hand-made line must not mark one undone.
  const auto mirrors = [&](const JournalRecord& undo) {
    const auto change = byId.find(undo.undoes);
    return undo.action == "undo" && change != byId.end() && change->first < undo.id &&
           change->second->name == undo.name && change->second->location == undo.location &&
           ((SameEntry(change->second->to, undo.from) && SameEntry(change->second->from, undo.to)) ||
            (change->second->replaced && SameEntry(change->second->replaced, undo.to) &&
             SameEntry(change->second->to, undo.replaced)));
  };
  std::vector<const JournalRecord*> newestFirst;
  for (const JournalRecord& record : records)
    if (!record.undoes || mirrors(record)) newestFirst.push_back(&record);
  std::sort(newestFirst.begin(), newestFirst.end(), [](auto* a, auto* b) { return a->id > b->id; });
  // An undo is always newer than what it reverses, so its own state is known when it is reached.
  std::map<std::int64_t, std::int64_t> undone;
  for (const JournalRecord* record : newestFirst)
    if (record->undoes && !undone.contains(record->id) && !undone.contains(record->undoes))
      undone[record->undoes] = record->id;
  return undone;
}

std::vector<const JournalRecord*> ActionSteps(const std::vector<JournalRecord>& records,
                                              const std::map<std::int64_t, std::int64_t>& undone,
                                              const JournalRecord& change) {
  const std::int64_t group = change.group ? change.group : change.id;
  std::vector<const JournalRecord*> steps;
  for (const JournalRecord& record : records)
    if ((record.id == group || record.group == group) && !undone.contains(record.id)) steps.push_back(&record);
  std::sort(steps.begin(), steps.end(), [](auto* a, auto* b) { return a->id > b->id; });
  return steps;
}

JournalSide RegistrySide(HKEY hive, const std::string& keyPath, const RegValue& value) {
  JournalSide side;
  side.place = RegistryPlace(hive, keyPath);
  side.type = value.type;
  side.data = value.data;
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
    if (json.contains("location") && !json["location"].is_number_integer()) return std::nullopt;
    record.location = json.value("location", 0);
    if (!json.contains("name")) return std::nullopt;
    record.name = GetText(json, "name");
    if (!GetId(json, "undoes", record.undoes) || !GetId(json, "fails", record.fails) ||
        !GetId(json, "group", record.group))
      return std::nullopt;
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

std::string Journal::Folder() {
  const std::string base = IsMachine() ? platform_.ProgramData() : platform_.LocalAppData();
  return base.empty() ? std::string() : base + "\\" + kAppFolder;
}

std::string Journal::ErrorText(ErrorCode code) {
  return code == kFolderRefused && !refusal_.empty() ? refusal_ : platform_.SystemErrorText(code);
}

// Each of the two levels is made for administrators alone, and whatever stands there is checked
// before the next is made in it: another account may have made it first, or made it a link.
ErrorCode Journal::MakeAdminFolders(const std::string& folder) {
  refusal_.clear();
  for (const std::string& level : AdminLevels(folder)) {
    ErrorCode rc = platform_.CreateSecuredFolder(level, kAdminOnlySddl);
    if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS) return rc;
    if ((rc = CheckAdminFolder(level)) != ERROR_SUCCESS) return rc;
  }
  return ERROR_SUCCESS;
}

std::array<std::string, 2> Journal::AdminLevels(const std::string& folder) {
  return {folder.substr(0, folder.rfind('\\')), folder};
}

// A missing level is no refusal: nothing machine-wide was ever journalled.
ErrorCode Journal::CheckMachineFolders() {
  refusal_.clear();
  const std::string folder = Folder();
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  for (const std::string& level : AdminLevels(folder)) {
    const ErrorCode rc = CheckAdminFolder(level);
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) return rc;
    // Without an administrator's rights its descriptor may not even be read: say so, too.
    if (rc != ERROR_SUCCESS && refusal_.empty()) refusal_ = level + ": " + platform_.SystemErrorText(rc);
    if (rc != ERROR_SUCCESS) return rc;
  }
  return ERROR_SUCCESS;
}

ErrorCode Journal::CheckAdminFolder(const std::string& level) {
  if (const ErrorCode rc = NoLink(level); rc != ERROR_SUCCESS) {
    if (rc == ERROR_CANT_ACCESS_FILE) refusal_ = level + " is a link or junction";
    return rc == ERROR_CANT_ACCESS_FILE ? kFolderRefused : rc;
  }
  // Wine keeps no descriptor to check; it has no elevation to guard either.
  if (!platform_.KeepsFileSecurity()) return ERROR_SUCCESS;
  std::string sddl;
  if (const ErrorCode rc = platform_.FolderSecurity(level, sddl); rc != ERROR_SUCCESS) return rc;
  if (std::string why = WhyNotAdminOnly(sddl); !why.empty()) {
    refusal_ = level + " is not for administrators alone: " + why;
    return kFolderRefused;
  }
  return ERROR_SUCCESS;
}

std::string Journal::FilePath() { return Folder() + "\\journal.jsonl"; }

std::string Journal::OldFilePath() { return Folder() + "\\journal.1.jsonl"; }

ErrorCode Journal::MakeFolders(const std::string& folder) {
  // One level at a time from the top: the platform makes no missing parents.
  for (size_t at = folder.find('\\'); ; at = folder.find('\\', at + 1)) {
    const std::string part = at == std::string::npos ? folder : folder.substr(0, at);
    if (!part.empty() && part.back() != ':') {
      const ErrorCode rc = platform_.CreateFolder(part);
      if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_ACCESS_DENIED) return rc;
    }
    if (at == std::string::npos) break;
  }
  // A parent we may not create in (access denied) may still exist: what counts is the last level.
  std::vector<FolderEntry> entries;
  return platform_.ListFolder(folder, entries);
}

std::int64_t Journal::LastId() {
  std::uint64_t size = 0;
  const bool sized = platform_.FileSize(FilePath(), size) == ERROR_SUCCESS;
  if (lastId_ > 0 && sized && size == sizeAfterLast_) return lastId_;
  std::int64_t last = 0;
  for (const JournalRecord& record : ReadLines()) last = std::max(last, record.id);
  std::string bytes;
  tornTail_ = platform_.ReadFileData(FilePath(), bytes) == ERROR_SUCCESS && !bytes.empty() && bytes.back() != '\n';
  return last;
}

ErrorCode Journal::Prepare(JournalRecord& record) {
  const std::string folder = Folder();
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  if (const ErrorCode rc = IsMachine() ? MakeAdminFolders(folder) : MakeFolders(folder); rc != ERROR_SUCCESS)
    return rc;
  // Another process's change between reading the last id and appending would take the same id.
  if (!lock_)
    if (const ErrorCode rc = platform_.LockFileExclusive(folder + "\\journal.lock", lock_); rc != ERROR_SUCCESS)
      return rc;
  record.id = LastId() + 1;
  record.time = UtcNow();
  record.program = program_;
  return ERROR_SUCCESS;
}

ErrorCode Journal::NoLink(const std::string& path) {
  DWORD attributes = 0;
  const ErrorCode rc = platform_.FileAttributesOf(path, attributes);
  if (rc != ERROR_SUCCESS) return rc;
  return attributes & FILE_ATTRIBUTE_REPARSE_POINT ? ERROR_CANT_ACCESS_FILE : ERROR_SUCCESS;
}

ErrorCode Journal::KeepBackup(JournalRecord& record, JournalSide& side) {
  const std::string removed = Folder() + "\\removed";
  ErrorCode rc = platform_.CreateFolder(removed);
  if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS) return rc;
  // Another program of the user may have put a link on the way (into a system folder, say), or a
  // folder where the next copy goes: the copy goes only into a folder made here, now, through no link.
  for (const std::string& part : {Folder(), removed})
    if ((rc = NoLink(part)) != ERROR_SUCCESS) return rc;
  std::string folder;
  // A folder left by a change that never reached the journal, or planted, is passed by: the lock is
  // held, so the ids skipped are nobody's.
  for (int tries = 0; tries < 100; ++tries, ++record.id) {
    folder = removed + "\\" + std::to_string(record.id);
    if ((rc = platform_.CreateFolder(folder)) != ERROR_ALREADY_EXISTS) break;
  }
  if (rc == ERROR_SUCCESS) rc = NoLink(folder);
  if (rc != ERROR_SUCCESS) return rc;
  const std::string backup = folder + "\\" + record.name;
  if ((rc = platform_.FileCopy(side.path, backup)) != ERROR_SUCCESS) return rc;
  side.backup = backup;
  return ERROR_SUCCESS;
}

ErrorCode Journal::Append(const JournalRecord& record) {
  const UniqueFile lock = std::move(lock_);  // let go when the line is on the disk, or not written
  std::uint64_t size = 0;
  if (platform_.FileSize(FilePath(), size) == ERROR_SUCCESS && size >= kJournalRotateBytes) {
    if (const ErrorCode rc = platform_.FileMove(FilePath(), OldFilePath()); rc != ERROR_SUCCESS) return rc;
    tornTail_ = false;
    size = 0;
  }
  std::string line(tornTail_ ? "\n" : "");  // a torn last line stays alone on its line
  line += FormatJournalLine(record);
  line += '\n';
  if (const ErrorCode rc = platform_.AppendFile(FilePath(), line); rc != ERROR_SUCCESS) return rc;
  tornTail_ = false;
  lastId_ = record.id;
  sizeAfterLast_ = size + line.size();
  return ERROR_SUCCESS;
}

std::vector<JournalRecord> Journal::Read() {
  // Prepare checks the machine's folders itself before reading the last id.
  if (IsMachine() && CheckMachineFolders() != ERROR_SUCCESS) return {};
  std::vector<JournalRecord> records = ReadLines();
  std::set<std::int64_t> failed;
  for (const JournalRecord& record : records)
    if (record.fails) failed.insert(record.fails);
  std::erase_if(records, [&](const JournalRecord& record) { return record.fails || failed.contains(record.id); });
  return records;
}

std::vector<JournalRecord> Journal::ReadLines() {
  std::vector<JournalRecord> records;
  for (const std::string& file : {OldFilePath(), FilePath()}) {
    std::string bytes;
    if (platform_.ReadFileData(file, bytes) != ERROR_SUCCESS) continue;
    std::vector<std::string> lines;
    Split(bytes, lines);
    for (const std::string& line : lines)
      if (std::optional<JournalRecord> record = ParseJournalLine(line)) {
        record->machine = IsMachine();
        records.push_back(std::move(*record));
      }
  }
  return records;
}

}  // namespace kestrun
