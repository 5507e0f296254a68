// File half of Win32Platform. Everything goes through the wide API, and every path in the form that
// Windows takes literally ("\\?\"): the last part of a path is the name exactly as listed, so a
// name ending in a blank or a dot reaches that file and not the one without it.
#include <algorithm>
#include <cstdint>

#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

ErrorCode LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

// The rest of the file, refused once it holds more than limit bytes (it may grow while it is read);
// done at its end, or once it holds size bytes (a call less: under Wine each is a round trip).
ErrorCode ReadAll(HANDLE file, std::uint64_t limit, std::string& data, std::uint64_t size = UINT64_MAX) {
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return GetLastError();
    if (got == 0) return ERROR_SUCCESS;
    if (data.size() + got > limit) return ERROR_FILE_TOO_LARGE;
    data.append(buffer, got);
    if (data.size() == size) return ERROR_SUCCESS;
  }
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool IsDriveAbsolute(const std::wstring& path) {
  return path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return path;
  full.resize(n);
  return full;
}

}  // namespace

// An absolute path as the wide API takes it literally. Only the folder part is made canonical (a
// ".." or doubled backslash there is the user's way of writing a folder); the name after the last
// backslash is kept byte for byte. A relative path keeps its meaning, in its full form when long.
std::wstring WidePath(const std::string& path) {
  const std::wstring wide = ToWide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const bool unc = wide.rfind(L"\\\\", 0) == 0;
  if (!unc && !IsDriveAbsolute(wide)) return wide.size() < MAX_PATH - 12 ? wide : L"\\\\?\\" + FullPath(wide);
  const size_t slash = wide.rfind(L'\\');
  std::wstring folder = FullPath(wide.substr(0, slash + 1));
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  folder += wide.substr(slash + 1);
  if (folder.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + folder.substr(2);
  return L"\\\\?\\" + folder;
}

ErrorCode Win32Platform::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW data;
  UniqueFind find(FindFirstFileW(WidePath(folder + "\\*.*").c_str(), &data));
  if (!find) return GetLastError();
  do {
    entries.push_back({FromWide(data.cFileName), data.dwFileAttributes,
                       (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
  } while (FindNextFileW(find.Get(), &data));
  return ERROR_SUCCESS;
}

bool Win32Platform::FileExists(const std::string& name) {
  // A pattern would "exist" whenever anything matches it: only a real name is a file.
  if (name.empty() || HasWildcard(name)) return false;
  const DWORD attributes = GetFileAttributesW(WidePath(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Win32Platform::SpelledPath(const std::string& path) {
  // "X:\a\b" only; each part looked up by its own name, which matches one entry at most.
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\' || HasWildcard(path)) return path;
  std::string spelled = path.substr(0, 2);
  for (size_t start = 3; start < path.size();) {
    const size_t end = std::min(path.find('\\', start), path.size());
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW(WidePath(spelled + "\\" + path.substr(start, end - start)).c_str(), &data));
    if (!find) return spelled + path.substr(start - 1);
    spelled += "\\" + FromWide(data.cFileName);
    start = end + 1;
  }
  return spelled;
}

std::string Win32Platform::FullPathOf(const std::string& name) {
  const std::wstring wide = ToWide(name);
  std::wstring full(wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
  if (full.empty()) return {};
  const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return {};
  full.resize(n);
  return FromWide(full);
}

ErrorCode Win32Platform::FileDelete(const std::string& path) {
  return LastErrorUnless(DeleteFileW(WidePath(path).c_str()));
}

ErrorCode Win32Platform::ReadFileData(const std::string& path, std::string& data) {
  data.clear();
  UniqueFile file(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? ReadAll(file.Get(), UINT64_MAX, data) : GetLastError();
}

ErrorCode Win32Platform::ReadLinkFile(const std::string& link, std::size_t limit, std::string& bytes) {
  bytes.clear();
  UniqueFile file(CreateFileW(WidePath(link).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return GetLastError();
  if (static_cast<std::uint64_t>(size.QuadPart) > limit) return ERROR_FILE_TOO_LARGE;
  bytes.reserve(static_cast<size_t>(size.QuadPart));
  const ErrorCode rc = ReadAll(file.Get(), limit, bytes, static_cast<std::uint64_t>(size.QuadPart));
  if (rc != ERROR_SUCCESS) bytes.clear();  // nothing kept of a read that failed
  return rc;
}

ErrorCode Win32Platform::ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& data) {
  data.clear();
  const std::wstring wide = WidePath(path);
  // By name first: under Wine only the name shows a link to a folder, a handle to it does not.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return kErrorIsLink;
  UniqueFile file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return GetLastError();
  return ReadSmallOpenFile(file.Get(), limit, data);
}

ErrorCode ReadSmallOpenFile(HANDLE file, std::uint64_t limit, std::string& data) {
  data.clear();
  // A pipe or a device could hold a read for ever.
  if (GetFileType(file) != FILE_TYPE_DISK) return ERROR_BAD_FILE_TYPE;
  // And by the handle: the name may have become a link since. (Not GetFileInformationByHandle: under
  // Wine it costs three times the whole read.)
  FILE_ATTRIBUTE_TAG_INFO tag{};
  LARGE_INTEGER length{};
  if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) || !GetFileSizeEx(file, &length))
    return GetLastError();
  if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return kErrorIsLink;
  const auto size = static_cast<std::uint64_t>(length.QuadPart);
  if (size > limit) return ERROR_FILE_TOO_LARGE;
  data.reserve(static_cast<size_t>(size));
  return ReadAll(file, limit, data, size);
}

}  // namespace kestrun
