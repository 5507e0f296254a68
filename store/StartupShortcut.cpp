#include "store/StartupShortcut.h"

#include "store/Locations.h"
#include "store/ShortcutTarget.h"
#include "base/Text.h"

namespace kestrun {

// A display name becomes a file name in the Startup folder: it may not name another folder,
// a stream or a device, whatever the platform's save would accept.
bool IsFileNameSafe(const std::string& name) {
  for (const unsigned char c : name)
    if (c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}

namespace {

// A new link has nothing to restore on undo: the record says where it is, and undo deletes it.
// A new link needs nothing to undo but its place; one it replaces is kept, so undo brings it back.
ErrorCode JournalCreation(IPlatform& platform, Journal& journal, const std::string& link,
                          const std::string& fileName) {
  JournalRecord record;
  record.action = "create";
  record.location = slUserStartupFolder;
  record.name = fileName;
  record.to = FileSide(link);
  if (platform.FileExists(link)) record.replaced = FileSide(link);
  ErrorCode rc = journal.Prepare(record);
  if (rc == ERROR_SUCCESS && record.replaced) rc = journal.KeepBackup(record, *record.replaced);
  if (rc == ERROR_SUCCESS) rc = journal.Append(record);
  return rc;
}

}  // namespace

CreateShortcutResult CreateStartupShortcut(IPlatform& platform, RegistryAccess& registry,
                                            const std::string& givenTarget, const std::string& displayName,
                                            Journal* journal) {
  const std::string target = ShortcutTargetOf(platform, givenTarget);
  if (!platform.FileExists(target)) return {coFileNotFound};
  // A link keeps its target in fields of MAX_PATH characters: a longer one would be cut to garbage.
  if (ToWide(target).size() >= MAX_PATH) return {coTargetPathTooLong};
  registry.SetRoot(HKEY_CURRENT_USER);
  if (!registry.OpenKey(kShellFoldersKey, false)) return {coNoShellFolders};
  if (displayName.empty()) return {coNoDisplayName};
  // Without a full path the link would land in the current directory or the root of its drive.
  const std::string folder = registry.ReadString(kStartupValue);
  if (!IsFullPath(folder)) return {coNoStartupFolder};
  const std::string link = folder + "\\" + displayName + ".lnk";
  if (!IsFileNameSafe(displayName)) return {coWritten, HRESULT_FROM_WIN32(ERROR_INVALID_NAME)};
  // The shell saves through a buffer of MAX_PATH wide characters: a longer path would be cut.
  if (ToWide(link).size() >= MAX_PATH) return {coLinkPathTooLong};
  const ErrorCode journalled =
      journal ? JournalCreation(platform, *journal, link, displayName + ".lnk") : ERROR_SUCCESS;
  return {coWritten, CreateLink(platform, target, link, "Shortcut to " + target), journalled};
}

HRESULT CreateLink(IPlatform& platform, const std::string& target, const std::string& link,
                   const std::string& description) {
  return platform.WriteShellLink(target, link, description, FolderPartOf(target));
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
