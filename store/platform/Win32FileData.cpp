// Appending to a file the user names (export), sizes and stamps, and the folders of the user and of this program.
#include <shlobj.h>

#include <algorithm>

#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

ErrorCode LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

std::string EnvironmentValue(const wchar_t* name) {
  const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(name, value.data(), n);
  if (got == 0 || got >= n) return {};
  value.resize(got);
  return FromWide(value);
}

}  // namespace

ErrorCode Win32Platform::AppendFile(const std::string& path, const std::string& bytes) {
  UniqueFile file(CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  for (size_t done = 0; done < bytes.size();) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  // On the disk before the change it describes is made: a power cut must not lose the line.
  return LastErrorUnless(FlushFileBuffers(file.Get()));
}

ErrorCode Win32Platform::FileAttributesOf(const std::string& path, DWORD& attributes) {
  attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
}

ErrorCode Win32Platform::FileSize(const std::string& path, std::uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return GetLastError();
  size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return ERROR_SUCCESS;
}

ErrorCode Win32Platform::FileStamp(const std::string& path, std::uint64_t& size, std::uint64_t& written) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return GetLastError();
  size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  written = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return ERROR_SUCCESS;
}

std::string Win32Platform::LocalAppData() {
  // The variable first: it is what the user (or a test, or a service's profile) says it is.
  if (std::string value = EnvironmentValue(L"LOCALAPPDATA"); !value.empty()) return value;
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return FromWide(path);
}

std::string Win32Platform::ExpandEnvironment(const std::string& text) {
  const std::wstring wide = ToWide(text);
  const DWORD n = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
  if (n == 0) return text;
  std::wstring expanded(n, L'\0');
  const DWORD got = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), n);
  if (got == 0 || got > n) return text;
  expanded.resize(got - 1);  // the count includes the NUL
  return FromWide(expanded);
}

std::string Win32Platform::ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);  // cut short: the name is longer than the buffer
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : FromWide(path.substr(0, slash));
}

}  // namespace kestrun
