#pragma once
// Seeding the test's own Wine prefix: registry values of any type and shape, files with attributes,
// and clean-up between tests. Straight Win32 calls, independent of the code under test. A failed call
// throws, which GoogleTest reports as a failure of the running test.
#include <windows.h>

#include <optional>
#include <string>

#include "base/Handles.h"

namespace kestrun::test {

inline constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The user's packaged apps and their startup tasks' switches below Repository\Packages and SystemAppData.
inline constexpr const char* kAppModelKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel";

// "Software\Microsoft\Windows\CurrentVersion\" + sub ("Run", "Run-", "RunServices", "RunServices-").
std::string VersionKey(const std::string& sub);
// The same below Software\WOW6432Node, where 32-bit programs' machine-wide entries lie.
std::string Version32Key(const std::string& sub);
// "...\Explorer\StartupApproved\" + sub ("Run", "Run32", "StartupFolder").
std::string ApprovedKey(const std::string& sub);

// Creates the key when needed and stores exactly size bytes of data.
void SetRaw(HKEY hive, const std::string& key, const std::string& name, DWORD type, const void* data,
            DWORD size);
// The text and its terminating NUL.
void SetString(HKEY hive, const std::string& key, const std::string& name, const std::string& text,
               DWORD type = REG_SZ);
void SetDword(HKEY hive, const std::string& key, const std::string& name, DWORD number);

struct RawValue {
  DWORD type;
  std::string data;  // exactly as stored
};
std::optional<RawValue> ReadRaw(HKEY hive, const std::string& key, const std::string& name);
// The same through the wide API, for names and texts no narrow string carries (a lone surrogate).
void SetWide(HKEY hive, const std::string& key, const std::wstring& name, const std::wstring& text,
             DWORD type = REG_SZ);
std::optional<RawValue> ReadWide(HKEY hive, const std::string& key, const std::wstring& name);
// UTF-16LE bytes of text and its NUL, as a string value stores them.
std::string Utf16Bytes(const std::wstring& text);
int ValueCount(HKEY hive, const std::string& key);  // -1 when the key is missing
void DeleteKey(HKEY hive, const std::string& key);  // with everything below it; missing is fine
void DeleteStartupKeys();  // every startup key and parking key of both hives, StartupApproved and AppModel

// A key the user may only read while this lives, as an ACL makes it (created when missing); the
// handle that set the ACL puts full access back.
class LockedKey {
 public:
  LockedKey(HKEY hive, const std::string& key);
  ~LockedKey();
  LockedKey(const LockedKey&) = delete;
  LockedKey& operator=(const LockedKey&) = delete;

 private:
  void Apply(const wchar_t* sddl);
  UniqueKey handle_;
};

// A Shell Folders value ("Startup" under HKCU, "Common Startup" under HKLM); "" when missing.
std::string ShellFolder(HKEY hive, const char* value);
void SetShellFolder(HKEY hive, const char* value, const std::string& path);

// Files through the wide API with the long-path prefix: any name the file system takes.
void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL,
              const std::string& contents = "kestrun");
void MakeFolder(const std::string& path);
DWORD Attributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES when nothing is there
bool Exists(const std::string& path);
std::optional<std::string> FileBytes(const std::string& path);  // nothing when it cannot be read
void EmptyFolder(const std::string& path);  // whatever the attributes; the folder stays
void RemoveTree(const std::string& path);   // the folder or file and everything in it; missing is fine

// A packaged app's folder (made) with its manifest, registered for the user as installed.
void AddPackage(const std::string& folder, const std::string& fullName, const std::string& manifest);
// A manifest whose one application (chat.exe) declares one enabled desktop startup task.
std::string OneTaskManifest(const std::string& taskId, const std::string& displayName);

}  // namespace kestrun::test
