#pragma once
// The one file layer: every read, write, move and delete of the store's own files (Startup entries,
// the journal and its copies) goes through it. A path is reached from a folder Kestrun trusts, one
// part at a time, each opened relative to the one before without following a link, and checked by
// its handle; the file is then read, written, renamed or deleted through that very handle, so nothing
// can be swapped between the check and the use. A file is written whole or not at all: under a
// temporary name in its folder, flushed, then renamed into place.
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun {

// The layer refused (Refusal() says why): a path outside its trusted folder, a link or junction on the
// way, a kept copy with other names.
inline constexpr ErrorCode kPathRefused = ERROR_CANT_ACCESS_FILE;
// How long a lock is waited for before ERROR_LOCK_VIOLATION comes back.
inline constexpr DWORD kLockWaitMs = 5000;

// What a walk makes where a folder is missing.
enum class Make { Nothing, Last, LastHidden, All };

// A folder reached by a walk, held open with every folder on its way: none of them can be renamed or
// deleted meanwhile.
class OpenFolder {
 public:
  [[nodiscard]] HANDLE Get() const { return chain_.empty() ? INVALID_HANDLE_VALUE : chain_.back().Get(); }
  [[nodiscard]] const std::string& Path() const { return path_; }  // as asked

 private:
  friend class SafeFiles;
  std::vector<UniqueFile> chain_;
  std::string path_;
  std::string real_;  // as the system names it: where each part's handle must lead
};

// Whether a name is one of the layer's temporary files (a scan passes them by).
bool IsTemporaryName(const std::string& name);

class SafeFiles {
 public:
  // root: a full path the system names (the profile, ProgramData, the journal's base); what: its
  // name in a refusal ("the user's profile").
  SafeFiles(IPlatform& platform, std::string root, std::string what);

  [[nodiscard]] const std::string& Root() const { return root_; }
  // Why the last call returned kPathRefused.
  [[nodiscard]] const std::string& Refusal() const { return refusal_; }
  // The refusal, or the system's text for code.
  std::string ErrorText(ErrorCode code) const;

  // Opens folder, at or below the root; make says which missing levels are made (with sddl, when given).
  ErrorCode Walk(const std::string& folder, OpenFolder& open, Make make = Make::Nothing, const std::string& sddl = {});
  // Opens name in folder as asked, checked to be no link and to lie where asked.
  ErrorCode Open(const OpenFolder& folder, const std::string& name, FileOpen how, UniqueFile& file,
                 FileFacts& facts);

  // Whether anything has that name (a missing folder on the way: no). A link there is refused.
  ErrorCode Exists(const std::string& path, bool& exists);
  // The whole file; keptCopy: refused when the file has other names (a hard link planted as a copy).
  ErrorCode Read(const std::string& path, std::string& data, bool keptCopy = false);
  // Writes bytes as path, whole or not at all; replace: over a file of that name, else never.
  ErrorCode Write(const std::string& path, const std::string& bytes, bool replace, Make make = Make::Nothing);
  // Copies from's file to path here, whole or not at all, with its attributes and last-write time.
  ErrorCode Copy(SafeFiles& from, const std::string& source, const std::string& path, bool replace,
                 bool keptCopy = false, Make make = Make::Nothing);
  ErrorCode Delete(const std::string& path);
  // Renames folder's file name to newName in the same folder, replacing one of that name.
  ErrorCode Rename(const OpenFolder& folder, const std::string& name, const std::string& newName);
  // Opens (made when missing) and locks name in folder, waiting up to waitMs while another holds it.
  ErrorCode Lock(const OpenFolder& folder, const std::string& name, UniqueFile& lock, DWORD waitMs = kLockWaitMs);

  // Through an open handle.
  ErrorCode Facts(HANDLE file, FileFacts& facts) { return platform_.FileFactsOf(file, facts); }
  ErrorCode ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& data) {
    return platform_.ReadAt(file, offset, count, data);
  }
  ErrorCode WriteAt(HANDLE file, std::uint64_t offset, const std::string& bytes) {
    return platform_.WriteAt(file, offset, bytes);
  }
  ErrorCode Security(const OpenFolder& folder, std::string& sddl) { return platform_.SecurityOf(folder.Get(), sddl); }

 private:
  ErrorCode Refuse(std::string why);
  // name in the folder parent, whose real path is real; shown: the path a refusal names.
  ErrorCode OpenPart(HANDLE parent, const std::string& real, const std::string& shown, const std::string& name,
                     FileOpen how, UniqueFile& file, FileFacts& facts, const std::string& sddl = {});
  ErrorCode OpenLevel(HANDLE parent, const std::string& real, const std::string& shown, const std::string& name,
                      FileOpen make, UniqueFile& file, FileFacts& facts, const std::string& sddl);
  // Deletes the temporary files a stopped process left in folder.
  void Sweep(const OpenFolder& folder);
  ErrorCode Put(const std::string& path, const std::string& bytes, bool replace, Make make, const FileFacts& like);

  IPlatform& platform_;  // not owned
  std::string root_;
  std::string what_;
  std::string refusal_;
};

}  // namespace kestrun
