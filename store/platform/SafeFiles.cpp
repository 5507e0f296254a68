// The walk from a trusted folder and the whole-or-nothing writes. Windows opens a link itself when asked
// (its attributes then say so); Wine follows a Unix link whatever it is asked, and only the path its
// handle really leads to tells: each part is checked both ways.
#include "store/platform/SafeFiles.h"

#include <atomic>

#include "base/Text.h"
#include "base/Texts.h"
#include "store/platform/TextIds.h"

namespace kestrun {
namespace {

constexpr const char* kTemporaryPrefix = ".kestrun-";
constexpr const char* kTemporarySuffix = ".tmp";
// What a copy keeps of its source's attributes; hidden is the layer's own until the rename.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool IsFull(const std::string& path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  return drive || path.rfind("\\\\", 0) == 0;
}

// The parts of path below root; false when path is not root or below it, or climbs out with "..".
bool PartsBelow(const std::string& path, std::string root, std::vector<std::string>& parts) {
  while (root.size() > 3 && root.back() == '\\') root.pop_back();
  if (!IsFull(root) || path.size() < root.size() || !SameName(path.substr(0, root.size()), root)) return false;
  if (path.size() > root.size() && root.back() != '\\' && path[root.size()] != '\\') return false;
  for (size_t at = root.size(); at < path.size();) {
    const size_t end = std::min(path.find('\\', at), path.size());
    const std::string part = path.substr(at, end - at);
    if (part == "." || part == ".." || part.find('/') != std::string::npos) return false;
    if (!part.empty()) parts.push_back(part);  // a doubled backslash names no folder of its own
    at = end + 1;
  }
  return true;
}

std::string Trimmed(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name;
}

// The handle leads to name in the folder whose real path is real. A short (8.3) name leads to its
// long one in the same folder; Wine names "x." and "x " without their trailing dots and blanks.
bool LeadsTo(const std::string& path, const std::string& real, const std::string& name) {
  if (!SameName(FolderOf(path), real.back() == '\\' ? real.substr(0, real.size() - 1) : real)) return false;
  return SameName(Trimmed(NameOf(path)), Trimmed(name)) || name.find('~') != std::string::npos;
}

bool IsMissing(ErrorCode rc) {
  return rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND || rc == ERROR_DIRECTORY;
}

std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  char text[48];
  snprintf(text, sizeof text, "%s%lx-%x%s", kTemporaryPrefix, GetCurrentProcessId(), counter++, kTemporarySuffix);
  return text;
}

}  // namespace

bool IsTemporaryName(const std::string& name) {
  return name.rfind(kTemporaryPrefix, 0) == 0 && name.ends_with(kTemporarySuffix);
}

SafeFiles::SafeFiles(IPlatform& platform, std::string root, std::string what)
    : platform_(platform), root_(std::move(root)), what_(std::move(what)) {}

std::string SafeFiles::ErrorText(ErrorCode code) const {
  return code == kPathRefused && !refusal_.empty() ? refusal_ : platform_.SystemErrorText(code);
}

ErrorCode SafeFiles::Refuse(std::string why) {
  refusal_ = std::move(why);
  return kPathRefused;
}

ErrorCode SafeFiles::OpenPart(HANDLE parent, const std::string& real, const std::string& shown,
                              const std::string& name, FileOpen how, UniqueFile& file, FileFacts& facts,
                              const std::string& sddl) {
  if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/") != std::string::npos)
    return ERROR_INVALID_NAME;
  if (const ErrorCode rc = platform_.OpenAt(parent, name, how, file, sddl)) return rc;
  const ErrorCode rc = platform_.FileFactsOf(file.Get(), facts);
  if (rc == ERROR_SUCCESS && !(facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsTo(facts.path, real, name))
    return ERROR_SUCCESS;
  file.Reset();
  return rc ? rc : Refuse(Text(IDS_PATH_IS_LINK, {shown}));
}

ErrorCode SafeFiles::OpenLevel(HANDLE parent, const std::string& real, const std::string& shown,
                               const std::string& name, FileOpen make, UniqueFile& file, FileFacts& facts,
                               const std::string& sddl) {
  ErrorCode rc = OpenPart(parent, real, shown, name, FileOpen::Folder, file, facts);
  if (rc != ERROR_FILE_NOT_FOUND || make == FileOpen::Folder) return rc;
  rc = OpenPart(parent, real, shown, name, make, file, facts, sddl);
  // Made by another meanwhile: what counts is that it is a folder, and no link.
  if (rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS)
    rc = OpenPart(parent, real, shown, name, FileOpen::Folder, file, facts);
  return rc;
}

ErrorCode SafeFiles::Walk(const std::string& folder, OpenFolder& open, Make make, const std::string& sddl) {
  open.chain_.clear();
  std::vector<std::string> parts;
  if (root_.empty()) return ERROR_PATH_NOT_FOUND;
  if (!PartsBelow(folder, root_, parts)) return Refuse(Text(IDS_NOT_INSIDE, {folder, what_, root_}));
  UniqueFile handle;
  FileFacts facts;
  if (const ErrorCode rc = platform_.OpenAt(INVALID_HANDLE_VALUE, root_, FileOpen::Folder, handle)) return rc;
  if (const ErrorCode rc = platform_.FileFactsOf(handle.Get(), facts)) return rc;
  std::string real = facts.path, shown = root_;
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    FileOpen how = FileOpen::Folder;
    if (make == Make::All || (last && make == Make::Last)) how = FileOpen::MakeFolder;
    if (last && make == Make::LastHidden) how = FileOpen::MakeHidden;
    shown = Joined(shown, parts[i]);
    UniqueFile next;
    if (const ErrorCode rc = OpenLevel(handle.Get(), real, shown, parts[i], how, next, facts, sddl)) return rc;
    open.chain_.push_back(std::move(handle));
    handle = std::move(next);
    real = facts.path;
  }
  open.chain_.push_back(std::move(handle));
  open.path_ = folder;
  open.real_ = real;
  return ERROR_SUCCESS;
}

ErrorCode SafeFiles::Open(const OpenFolder& folder, const std::string& name, FileOpen how, UniqueFile& file,
                          FileFacts& facts) {
  return OpenPart(folder.Get(), folder.real_, Joined(folder.path_, name), name, how, file, facts);
}

ErrorCode SafeFiles::Exists(const std::string& path, bool& exists) {
  exists = false;
  OpenFolder folder;
  UniqueFile file;
  FileFacts facts;
  ErrorCode rc = Walk(FolderOf(path), folder);
  if (rc == ERROR_SUCCESS) rc = Open(folder, NameOf(path), FileOpen::Probe, file, facts);
  if (IsMissing(rc)) return ERROR_SUCCESS;
  exists = rc == ERROR_SUCCESS;
  return rc;
}

ErrorCode SafeFiles::Read(const std::string& path, std::string& data, bool keptCopy) {
  data.clear();
  OpenFolder folder;
  UniqueFile file;
  FileFacts facts;
  if (const ErrorCode rc = Walk(FolderOf(path), folder)) return rc;
  if (const ErrorCode rc = Open(folder, NameOf(path), FileOpen::Read, file, facts)) return rc;
  // Another name of the same file may be anyone's file: a copy is a file of its own.
  if (keptCopy && facts.links > 1) return Refuse(Text(IDS_HARD_LINKED_COPY, {path}));
  return platform_.ReadAt(file.Get(), 0, SIZE_MAX, data);
}

void SafeFiles::Sweep(const OpenFolder& folder) {
  std::vector<FolderEntry> entries;
  if (platform_.ListFolder(folder.Path(), entries) != ERROR_SUCCESS) return;
  for (const FolderEntry& entry : entries) {
    UniqueFile file;
    FileFacts facts;
    // A writer still at work holds its file open for itself alone: the open fails, and it stays.
    if (IsTemporaryName(entry.name) && Open(folder, entry.name, FileOpen::Change, file, facts) == ERROR_SUCCESS)
      platform_.DeleteOpen(file.Get());
  }
}

ErrorCode SafeFiles::Put(const std::string& path, const std::string& bytes, bool replace, Make make,
                         const FileFacts& like) {
  OpenFolder folder;
  if (const ErrorCode rc = Walk(FolderOf(path), folder, make)) return rc;
  Sweep(folder);
  UniqueFile temp;
  FileFacts facts;
  ErrorCode rc = ERROR_ALREADY_EXISTS;
  for (int tries = 0; tries < 10 && (rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS); ++tries)
    rc = Open(folder, TemporaryName(), FileOpen::Create, temp, facts);
  if (rc != ERROR_SUCCESS) return rc;
  rc = platform_.WriteAt(temp.Get(), 0, bytes);
  if (rc == ERROR_SUCCESS) rc = platform_.SetFileFacts(temp.Get(), like.attributes & kKeptAttributes, like.written);
  if (rc == ERROR_SUCCESS) rc = platform_.RenameAt(temp.Get(), folder.Get(), NameOf(path), replace);
  if (rc != ERROR_SUCCESS) {
    // The temporary file goes with the failure; a stopped process leaves it hidden, and no scan lists it.
    platform_.SetFileFacts(temp.Get(), FILE_ATTRIBUTE_HIDDEN, 0);
    platform_.DeleteOpen(temp.Get());
  }
  return rc;
}

ErrorCode SafeFiles::Write(const std::string& path, const std::string& bytes, bool replace, Make make) {
  return Put(path, bytes, replace, make, FileFacts{});
}

ErrorCode SafeFiles::Copy(SafeFiles& from, const std::string& source, const std::string& path, bool replace,
                          bool keptCopy, Make make) {
  OpenFolder folder;
  UniqueFile file;
  FileFacts facts;
  std::string bytes;
  ErrorCode rc = from.Walk(FolderOf(source), folder);
  if (rc == ERROR_SUCCESS) rc = from.Open(folder, NameOf(source), FileOpen::Read, file, facts);
  if (rc == ERROR_SUCCESS && keptCopy && facts.links > 1)
    rc = from.Refuse(Text(IDS_HARD_LINKED_COPY, {source}));
  if (rc == ERROR_SUCCESS) rc = platform_.ReadAt(file.Get(), 0, SIZE_MAX, bytes);
  if (rc == kPathRefused) refusal_ = from.refusal_;
  return rc ? rc : Put(path, bytes, replace, make, facts);
}

ErrorCode SafeFiles::Delete(const std::string& path) {
  OpenFolder folder;
  UniqueFile file;
  FileFacts facts;
  if (const ErrorCode rc = Walk(FolderOf(path), folder)) return rc;
  if (const ErrorCode rc = Open(folder, NameOf(path), FileOpen::Change, file, facts)) return rc;
  return platform_.DeleteOpen(file.Get());
}

ErrorCode SafeFiles::Rename(const OpenFolder& folder, const std::string& name, const std::string& newName) {
  UniqueFile file;
  FileFacts facts;
  if (const ErrorCode rc = Open(folder, name, FileOpen::Change, file, facts)) return rc;
  return platform_.RenameAt(file.Get(), folder.Get(), newName, true);
}

ErrorCode SafeFiles::Lock(const OpenFolder& folder, const std::string& name, UniqueFile& lock, DWORD waitMs) {
  UniqueFile file;
  FileFacts facts;
  if (const ErrorCode rc = Open(folder, name, FileOpen::Update, file, facts)) return rc;
  const ULONGLONG until = GetTickCount64() + waitMs;
  for (;;) {
    const ErrorCode rc = platform_.LockOpen(file.Get());
    if (rc == ERROR_SUCCESS) lock = std::move(file);
    if (rc != ERROR_LOCK_VIOLATION || GetTickCount64() >= until) return rc;
    Sleep(20);
  }
}

}  // namespace kestrun
