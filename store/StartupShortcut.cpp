// A new shortcut in the per-user Startup folder: its checks, its record, and how each outcome is said.
#include "store/StartupShortcut.h"

#include <array>
#include <cctype>

#include "base/Text.h"
#include "base/Texts.h"
#include "store/Action.h"
#include "store/ChangeJournal.h"
#include "store/Locations.h"
#include "store/PlaceFiles.h"
#include "store/ShortcutTarget.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

constexpr unsigned kNoText = 0;     // an empty text
constexpr unsigned kSilent = ~0u;  // the window says nothing

struct OutcomeTextIds {
  unsigned line, box;
  bool blamesName, blamesMachine;
};

// In the order of TCreateShortcutOutcome.
constexpr std::array<OutcomeTextIds, 8> kOutcomeTextIds{{
    {IDS_SHORTCUT_NOT_FOUND, IDS_SHORTCUT_NOT_FOUND_BOX, false, false},
    {IDS_SHORTCUT_NO_SHELL_FOLDERS, kSilent, false, false},
    {IDS_SHORTCUT_NO_NAME, IDS_SHORTCUT_NO_NAME_BOX, true, false},
    {kNoText, kNoText, false, false},  // coWritten
    {IDS_SHORTCUT_LINK_TOO_LONG, IDS_SHORTCUT_LINK_TOO_LONG_BOX, true, false},
    {IDS_SHORTCUT_NO_STARTUP, IDS_SHORTCUT_NO_STARTUP_BOX, false, true},
    {IDS_SHORTCUT_TARGET_TOO_LONG, IDS_SHORTCUT_TARGET_TOO_LONG_BOX, false, false},
    {IDS_SHORTCUT_COMMAND_LINE, IDS_SHORTCUT_COMMAND_LINE_BOX, false, false},
}};

std::string TextOf(unsigned id) { return id == kNoText || id == kSilent ? std::string() : Text(id); }

// A device's name (NUL, COM1...) names the device whatever extension follows and however many blanks
// end it: Windows would write the link to the device, or nowhere.
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  base.erase(base.find_last_not_of(' ') + 1);
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  // COM0-9 and LPT0-9, and the superscript 1, 2 and 3 Windows reserves too.
  if (base.size() < 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) return false;
  const std::string number = base.substr(3);
  return (number.size() == 1 && std::isdigit(static_cast<unsigned char>(number[0]))) || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

// A display name becomes a file name in the Startup folder: it may not name another folder,
// a stream or a device, whatever the platform's save would accept.
bool IsFileNameSafe(const std::string& name) {
  for (const unsigned char c : name)
    if (c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return !IsDeviceName(name);
}

// A new link needs nothing to undo but its place; one it replaces is kept, so undo brings it back.
JournalRecord CreationRecord(SafeFiles& files, const std::string& link, const std::string& fileName) {
  JournalRecord record;
  record.action = "create";
  record.location = slUserStartupFolder;
  record.name = fileName;
  record.to = FileSide(link);
  bool there = false;
  if (files.Exists(link, there) == ERROR_SUCCESS && there) record.replaced = FileSide(link);
  return record;
}

// The writer ran: a link it could not write is no success, and is said; a place the file layer
// refuses with its reason.
CreateShortcutResult Written(Action& action, const SafeFiles& files, HRESULT status, const std::string& link) {
  if (status == HRESULT_FROM_WIN32(kPathRefused))
    action.Refuse(Text(IDS_SHORTCUT_NOT_WRITTEN), files.Refusal());
  else if (FAILED(status))
    action.FailCall(Text(IDS_SHORTCUT_NOT_WRITTEN), ErrorCodeOfStatus(status));
  return {coWritten, status, link};
}

}  // namespace

CreateShortcutResult CreateStartupShortcut(Action& action, const std::string& givenTarget,
                                           const std::string& displayName, bool dryRun) {
  IPlatform& platform = action.Platform();
  if (IsCommandLine(givenTarget)) return {coCommandLine};
  const std::string target = ShortcutTargetOf(platform, givenTarget);
  if (!platform.FileExists(target)) return {coFileNotFound};
  // A link keeps its target in fields of MAX_PATH characters: a longer one would be cut to garbage.
  if (ToWide(target).size() >= MAX_PATH) return {coTargetPathTooLong};
  RegistryAccess* key = action.Key(HKEY_CURRENT_USER, kShellFoldersKey);
  if (!key) return {coNoShellFolders};
  if (displayName.empty()) return {coNoDisplayName};
  // Without a full path the link would land in the current directory or the root of its drive.
  const std::string folder = key->ReadString(kStartupValue);
  if (!IsFullPath(folder)) return {coNoStartupFolder};
  const std::string link = folder + "\\" + displayName + ".lnk";
  SafeFiles files = PlaceFiles(platform, *FindLocation(slUserStartupFolder));
  if (!IsFileNameSafe(displayName)) return Written(action, files, HRESULT_FROM_WIN32(ERROR_INVALID_NAME), link);
  // The shell saves through a buffer of MAX_PATH wide characters: a longer path would be cut.
  if (ToWide(link).size() >= MAX_PATH) return {coLinkPathTooLong};
  OpenFolder open;
  if (files.Walk(folder, open) == kPathRefused) return Written(action, files, HRESULT_FROM_WIN32(kPathRefused), link);
  if (dryRun) return {coWritten, S_OK, link};
  JournalRecord record = CreationRecord(files, link, displayName + ".lnk");
  // A new link may go unjournalled; one written over another goes only once that one's copy is kept.
  if (!JournalChange(action, record, !record.replaced, record.replaced ? &*record.replaced : nullptr))
    return {coWritten, E_ABORT, link};
  ChangeOutcome journalled(action, record);
  std::string bytes;
  // The link's comment is part of the file: the same bytes in every language.
  const std::string comment = "Shortcut to " + target;  // untranslated: file data
  HRESULT status = platform.LinkBytes(target, comment, FolderPartOf(target), bytes);
  if (SUCCEEDED(status))
    if (const ErrorCode rc = files.Write(link, bytes, true); rc != ERROR_SUCCESS) status = HRESULT_FROM_WIN32(rc);
  if (SUCCEEDED(status)) journalled.Done();
  return Written(action, files, status, link);
}

ErrorCode ErrorCodeOfStatus(HRESULT status) {
  return HRESULT_FACILITY(status) == FACILITY_WIN32 ? HRESULT_CODE(status) : static_cast<ErrorCode>(status);
}

const ShortcutOutcomeText& OutcomeText(TCreateShortcutOutcome outcome) {
  // Read once, and kept for the program's life: the table hands out pointers into them.
  static const std::array<std::string, 2 * kOutcomeTextIds.size()> texts = [] {
    std::array<std::string, 2 * kOutcomeTextIds.size()> read;
    for (size_t i = 0; i < kOutcomeTextIds.size(); ++i) {
      read[2 * i] = TextOf(kOutcomeTextIds[i].line);
      read[2 * i + 1] = TextOf(kOutcomeTextIds[i].box);
    }
    return read;
  }();
  static const std::array<ShortcutOutcomeText, kOutcomeTextIds.size()> table = [] {
    std::array<ShortcutOutcomeText, kOutcomeTextIds.size()> made{};
    for (size_t i = 0; i < kOutcomeTextIds.size(); ++i) {
      const OutcomeTextIds& ids = kOutcomeTextIds[i];
      made[i] = {texts[2 * i].c_str(), ids.box == kSilent ? nullptr : texts[2 * i + 1].c_str(), ids.blamesName,
                 ids.blamesMachine};
    }
    return made;
  }();
  return table.at(static_cast<size_t>(outcome));
}

std::string WithTarget(const char* text, const std::string& target) {
  std::string said = text;
  if (const size_t at = said.find("%1"); at != std::string::npos) said.replace(at, 2, target);
  return said;
}

std::string FolderPartOf(const std::string& fileName) {
  const size_t end = fileName.find_last_of("\\:");
  return end == std::string::npos ? std::string() : fileName.substr(0, end + 1);
}

std::string MakeDisplayName(const std::string& fileName) {
  const std::string file = fileName.substr(FolderPartOf(fileName).size());
  const size_t dot = file.rfind('.');
  return dot == std::string::npos ? file : file.substr(0, dot);
}

}  // namespace kestrun
