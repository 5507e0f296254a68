// File half of Win32Platform. Everything goes through the wide API: a UTF-8 name can be longer than
// the fixed 260-byte name field of the ANSI find data, and the ANSI calls refuse any path of
// MAX_PATH or more (206) that a listing can still return.
#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

ErrorCode LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// A path as the wide API takes it: a long one in its full, prefixed form (the only form Windows
// accepts beyond MAX_PATH), any other unchanged, so that relative paths keep their meaning.
std::wstring WidePath(const std::string& path) {
  std::wstring wide = ToWide(path);
  if (wide.size() < MAX_PATH - 12) return wide;  // CreateDirectory allows 12 fewer
  std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return wide;
  full.resize(n);
  if (full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

ErrorCode Win32Platform::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW data;
  UniqueFind find(FindFirstFileW(WidePath(folder + "\\*.*").c_str(), &data));
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
  UniqueFind find(FindFirstFileW(WidePath(name).c_str(), &data));
  return find && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

ErrorCode Win32Platform::CreateFolder(const std::string& path) {
  return LastErrorUnless(CreateDirectoryW(WidePath(path).c_str(), nullptr));
}

ErrorCode Win32Platform::SetAttributes(const std::string& path, DWORD attributes) {
  return LastErrorUnless(SetFileAttributesW(WidePath(path).c_str(), attributes));
}

ErrorCode Win32Platform::FileCopy(const std::string& source, const std::string& target) {
  return LastErrorUnless(CopyFileW(WidePath(source).c_str(), WidePath(target).c_str(), FALSE));
}

ErrorCode Win32Platform::FileDelete(const std::string& path) {
  return LastErrorUnless(DeleteFileW(WidePath(path).c_str()));
}

}  // namespace kestrun
