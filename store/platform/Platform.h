#pragma once
// The only door to the machine: registry, file system and shell. Everything above it takes an
// IPlatform&, so a test can put one in its place that fails on demand (see tests/store/FaultyPlatform.h).
#include <windows.h>
#include <winerror.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/Handles.h"

namespace kestrun {

// Win32 error code; 0 (ERROR_SUCCESS) is success.
using ErrorCode = DWORD;

// Names, paths and texts are WTF-8 (base/Text.h): every name the system holds, exactly.
struct RegValue {
  std::string name;  // "" for the unnamed default value
  DWORD type = REG_NONE;
  std::string data;  // the raw bytes as stored, exactly as long as the value (strings: UTF-16LE)
  bool operator==(const RegValue&) const = default;
};

// What the system says of a file's Authenticode signature (embedded, or of the catalog that holds the
// file's hash). The verdict is the store's to draw.
struct SignatureCheck {
  HRESULT trust = TRUST_E_NOSIGNATURE;  // WinVerifyTrust, revocation not checked
  HRESULT chain = S_OK;     // the Authenticode chain policy on the signer's chain (when trust is S_OK)
  std::string signer;       // the signing certificate's subject name
};

// A scheduled task as the Task Scheduler shows it: its path (\Vendor\Updater) and its XML.
struct TaskDocument {
  std::string path;
  std::string xml;
};

// Who this process runs as: the account's name, its domain (or computer) and its SID ("S-1-5-...").
struct UserIdentity {
  std::string name;
  std::string domain;
  std::string sid;
};

struct FolderEntry {
  std::string name;  // long file name
  DWORD attributes = 0;
  std::uint64_t size = 0;
};

// One node of an XML document as the system's reader gives it, in document order: an element (an empty
// one is followed by its end at once), an element's end, or text. Names are local; space is the
// namespace's URI.
struct XmlNode {
  enum class Kind { Element, EndElement, Text };
  Kind kind = Kind::Element;
  std::string name;
  std::string space;
  std::vector<std::pair<std::string, std::string>> attributes;  // those in no namespace: name, value
  std::string text;
};

// ParseXml's refusals, coded as the system's reader codes them.
inline constexpr HRESULT kXmlDtdProhibited = static_cast<HRESULT>(0xC00CEE4F);
inline constexpr HRESULT kXmlTooDeep = static_cast<HRESULT>(0xC00CEE81);
inline constexpr HRESULT kXmlEndedEarly = static_cast<HRESULT>(0xC00CEE01);
// ReadSmallFile's refusal of a link or junction (ERROR_REPARSE_POINT_ENCOUNTERED).
inline constexpr ErrorCode kErrorIsLink = 4395;

// What an open file or folder is, read from its handle.
struct FileFacts {
  DWORD attributes = 0;
  DWORD links = 0;            // the file's names (hard links)
  std::uint64_t size = 0;
  std::uint64_t written = 0;  // last write, FILETIME units
  std::string path;           // the system's name of where the handle leads, after any link it followed
};

// How OpenAt opens a name. Each opens the name itself, never a link's or junction's target on
// Windows; Wine follows a Unix link whatever it is asked, which FileFactsOf's path then shows.
enum class FileOpen {
  Folder,        // an existing folder, which nobody can rename or delete while it is open
  Look,          // an existing folder, only to read its files: others may rename or delete it meanwhile
  MakeFolder,    // a folder made now; fails when anything has the name
  MakeHidden,    // the same, hidden
  Probe,         // anything of that name, for its facts only
  Read,          // an existing file, for reading; shared for deleting, so that rotation goes on meanwhile
  Create,        // a new hidden file, for writing; fails when anything has the name
  Update,        // a file made when missing, for reading and writing at any offset
  Change,        // an existing file, for renaming or deleting
};

// How a key is opened: reading (query and enumerate) is all a scan needs, and all a user without
// administrator rights gets on machine-wide keys; writing is asked for only by a change.
enum class KeyAccess { Read, Write };
// Which registry a 64-bit program sees: its own, or the one 32-bit programs see (WOW6432Node).
enum class RegistryView { Native, Bits32 };

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // Registry. Paths are relative to root (no leading backslash). Creating a key opens it for writing.
  virtual ErrorCode OpenKey(HKEY root, RegistryView view, const std::string& path, bool create, KeyAccess access,
                            UniqueKey& key) = 0;
  // Every value of the key, index 0 upward, with its data; names and data of any length.
  virtual ErrorCode EnumValues(HKEY key, std::vector<RegValue>& values) = 0;
  virtual ErrorCode QueryValue(HKEY key, const std::string& name, RegValue& value) = 0;
  virtual ErrorCode SetValue(HKEY key, const std::string& name, DWORD type, const std::string& data) = 0;
  virtual ErrorCode DeleteValue(HKEY key, const std::string& name) = 0;
  // The names of the key's subkeys.
  virtual ErrorCode EnumSubKeys(HKEY key, std::vector<std::string>& names) = 0;
  // Deletes a key that has no subkeys (and its values).
  virtual ErrorCode DeleteKey(HKEY root, RegistryView view, const std::string& path) = 0;

  // Files by path: listings and probes, and the files a user names (export, a desired-state file).
  // The store's own files go through the file layer (store/platform/SafeFiles.h) and its handles below.
  // ListFolder lists folder + "\*.*" ("." and ".." included, as the system returns them).
  // The last part of an absolute path is taken exactly as given, never trimmed or normalised.
  virtual ErrorCode ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) = 0;
  virtual bool FileExists(const std::string& name) = 0;
  // An absolute path with each part as the file system spells it ("system32" for "System32"), as given
  // from the first part that cannot be found. (Wine looks a part of another case up by reading its
  // whole folder, on every open.)
  virtual std::string SpelledPath(const std::string& path) = 0;
  // A relative name's full path from the current folder (what FileExists checks); "" when there is none.
  virtual std::string FullPathOf(const std::string& name) = 0;
  virtual ErrorCode FileDelete(const std::string& path) = 0;
  // The whole contents of a file.
  virtual ErrorCode ReadFileData(const std::string& path, std::string& data) = 0;
  // A file read whole only when it is no larger than limit (ERROR_FILE_TOO_LARGE), an ordinary file on a
  // disk (ERROR_BAD_FILE_TYPE) and no link or junction (kErrorIsLink): for files other programs wrote.
  virtual ErrorCode ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& data) = 0;
  // The same of name in an open folder (OpenAt's FileOpen::Folder or Look), opened relative to it: the
  // files of a folder as its listing gave them. The look by name that ReadSmallFile makes first is the
  // caller's, in that listing (a link or junction there is never read); the handle's own check is made
  // as there.
  virtual ErrorCode ReadSmallFileAt(HANDLE folder, const std::string& name, std::uint64_t limit,
                                    std::string& data) = 0;
  // Appends bytes to a file (made when missing) and flushes them to the disk before returning.
  virtual ErrorCode AppendFile(const std::string& path, const std::string& bytes) = 0;
  virtual ErrorCode FileSize(const std::string& path, std::uint64_t& size) = 0;
  // The attributes of the path's last part itself (a link or junction is not followed): a probe.
  virtual ErrorCode FileAttributesOf(const std::string& path, DWORD& attributes) = 0;
  // Size and last-write time (FILETIME units): whether a file changed since it was last looked at.
  virtual ErrorCode FileStamp(const std::string& path, std::uint64_t& size, std::uint64_t& written) = 0;

  // Handles. folder is an open folder, name one part of a path in it (no backslash); with folder
  // INVALID_HANDLE_VALUE, name is a full path. sddl: the descriptor of a folder made ("": inherited).
  virtual ErrorCode OpenAt(HANDLE folder, const std::string& name, FileOpen how, UniqueFile& file,
                           const std::string& sddl = {}) = 0;
  virtual ErrorCode FileFactsOf(HANDLE file, FileFacts& facts) = 0;
  // Up to count bytes from offset (fewer at the end of the file).
  virtual ErrorCode ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& data) = 0;
  // Writes bytes at offset and flushes them to the disk before returning.
  virtual ErrorCode WriteAt(HANDLE file, std::uint64_t offset, const std::string& bytes) = 0;
  // Sets attributes and the last-write time (0: unchanged) of a file opened by Create.
  virtual ErrorCode SetFileFacts(HANDLE file, DWORD attributes, std::uint64_t written) = 0;
  // Renames an open file (Create or Change) to name in folder; never writes through a link there.
  virtual ErrorCode RenameAt(HANDLE file, HANDLE folder, const std::string& name, bool replace) = 0;
  // Deletes an open file (Create or Change) once its last handle is closed.
  virtual ErrorCode DeleteOpen(HANDLE file) = 0;
  // Locks an open file for this handle alone; ERROR_LOCK_VIOLATION at once while another holds it.
  virtual ErrorCode LockOpen(HANDLE file) = 0;
  // The owner and DACL of an open folder as SDDL.
  virtual ErrorCode SecurityOf(HANDLE folder, std::string& sddl) = 0;
  // The user's profile folder as the system names it; "" when none.
  virtual std::string UserProfile() = 0;

  // The user's local application data folder (%LOCALAPPDATA%); "" when the system names none.
  virtual std::string LocalAppData() = 0;
  // The folder of data shared by all users (%ProgramData%) as the system names it; "" when none.
  virtual std::string ProgramData() = 0;
  // Whether the file system keeps the security descriptors it is given (Wine keeps none).
  virtual bool KeepsFileSecurity() = 0;
  // %NAME% references replaced by the environment's values; unknown ones stay as they are.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
  // The folder this program's .exe lies in, without a trailing backslash; "" when the system names none.
  virtual std::string ProgramFolder() = 0;

  // Shell. Returns 0 or the reason the launch failed (never 0 for a failure). folder: the working
  // folder of what is started ("": the shell's choice, which need not be this process's).
  virtual ErrorCode ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                              const std::string& folder, int show) = 0;
  // Whether this process runs elevated, with rights its user's other programs lack.
  virtual bool IsElevated() = 0;
  // As ShellOpen, but started by the desktop's shell, with its user's rights rather than this process's.
  virtual ErrorCode ShellOpenAsUser(const std::string& file, const std::string& parameters, const std::string& folder,
                                    int show) = 0;
  // Writes a shell link through COM (it joins the thread's apartment itself). Returns the HRESULT.
  virtual HRESULT CreateLink(const std::string& target, const std::string& link,
                                 const std::string& description, const std::string& workingDir) = 0;
  // The bytes of such a link, for the caller to write where it chooses.
  virtual HRESULT LinkBytes(const std::string& target, const std::string& description, const std::string& workingDir,
                            std::string& bytes) = 0;

  // A shell link's target path and arguments, read through the shell's link object. Returns the HRESULT.
  virtual HRESULT ReadShellLink(const std::string& link, std::string& target, std::string& arguments) = 0;
  // A shell link file's bytes, for the store to read itself, in one open and read: ERROR_FILE_TOO_LARGE
  // (and nothing kept) when it holds more than limit bytes.
  virtual ErrorCode ReadLinkFile(const std::string& link, std::size_t limit, std::string& bytes) = 0;
  // The CompanyName of the file's version resource, in its first translation.
  virtual ErrorCode ReadCompanyName(const std::string& path, std::string& company) = 0;
  // The signature embedded in the file.
  virtual SignatureCheck CheckFileSignature(const std::string& path) = 0;
  // The signature of a system catalog that lists the file's hash; trust TRUST_E_NOSIGNATURE when none does.
  virtual SignatureCheck CheckCatalogSignature(const std::string& path) = 0;

  // Whether the user asks for high contrast: the system's answer, or where the system has none (Wine),
  // the setting Windows keeps for the user.
  virtual bool HighContrast() = 0;
  // An XML document read by the system's reader, no DTD allowed, elements nested at most maxDepth deep:
  // each node is given to visit as it is read. A failure (kXmlDtdProhibited, kXmlTooDeep,
  // kXmlEndedEarly, another code) may come after some nodes: only a success makes them a document.
  virtual HRESULT ParseXml(const std::string& bytes, unsigned maxDepth,
                           const std::function<void(const XmlNode&)>& visit) = 0;
  // An indirect string ("@{<package full name>?ms-resource://...}", "@file,-id") as the shell resolves it.
  virtual HRESULT LoadIndirectString(const std::string& source, std::string& text) = 0;
  virtual UserIdentity CurrentUser() = 0;

  // Task Scheduler 2.0. Every task this process may see, with its XML, from every task folder.
  virtual HRESULT ListScheduledTasks(std::vector<TaskDocument>& tasks) = 0;
  // Whether the task (by its path) is enabled, as the Task Scheduler says; and switching it.
  virtual HRESULT ScheduledTaskEnabled(const std::string& path, bool& enabled) = 0;
  virtual HRESULT EnableScheduledTask(const std::string& path, bool enabled) = 0;

  // The system's text for an error code; a useful text (the code in hex) when the system has none.
  virtual std::string SystemErrorText(ErrorCode code) = 0;

  // How many calls may be made at once from different threads; 1 where they must come one at a time.
  virtual unsigned Concurrency() = 0;
};

// The real machine.
IPlatform& SystemPlatform();

}  // namespace kestrun
