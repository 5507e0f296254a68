// File half of Win32Platform. Folder listings go through the wide API: a UTF-8 name can be longer
// than the fixed 260-byte name field of the ANSI find data.
#include "store/platform/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

ErrorCode LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

}  // namespace

ErrorCode Win32Platform::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW data;
  UniqueFind find(FindFirstFileW(ToWide(folder + "\\*.*").c_str(), &data));
  if (!find) return GetLastError();
  do {
    entries.push_back({FromWide(data.cFileName), data.dwFileAttributes});
  } while (FindNextFileW(find.Get(), &data));
  return ERROR_SUCCESS;
}

bool Win32Platform::FileExists(const std::string& name) {
  // A pattern would "exist" whenever anything matches it: only a real name is a file.
  if (name.empty() || HasWildcard(name)) return false;
  WIN32_FIND_DATAW data;
  UniqueFind find(FindFirstFileW(ToWide(name).c_str(), &data));
  return find && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

ErrorCode Win32Platform::CreateFolder(const std::string& path) {
  return LastErrorUnless(CreateDirectoryA(path.c_str(), nullptr));
}

ErrorCode Win32Platform::SetAttributes(const std::string& path, DWORD attributes) {
  return LastErrorUnless(SetFileAttributesA(path.c_str(), attributes));
}

ErrorCode Win32Platform::FileCopy(const std::string& source, const std::string& target) {
  return LastErrorUnless(CopyFileA(source.c_str(), target.c_str(), FALSE));
}

ErrorCode Win32Platform::FileDelete(const std::string& path) {
  return LastErrorUnless(DeleteFileA(path.c_str()));
}

}  // namespace kestrun
