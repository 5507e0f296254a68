// Handle half of Win32Platform's files: each name opened relative to its folder's handle (NtCreateFile's
// RootDirectory), without following a reparse point, and everything else done through that handle.
#include "store/platform/Win32Platform.h"

#include <sddl.h>
#include <winternl.h>

#include <algorithm>

#include "base/Text.h"

namespace kestrun {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A folder on the way stays where it is while we hold it: no rename or delete without delete sharing.
constexpr ULONG kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;

struct OpenWay {
  ACCESS_MASK access;
  ULONG share;
  ULONG disposition;
  ULONG options;
  ULONG attributes;
};

OpenWay WayOf(FileOpen how) {
  constexpr ULONG folder = FILE_DIRECTORY_FILE, file = FILE_NON_DIRECTORY_FILE;
  constexpr ACCESS_MASK readWrite = FILE_READ_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES;
  switch (how) {
    case FileOpen::Folder: return {kFolderAccess, kShareNoDelete, FILE_OPEN, folder, 0};
    case FileOpen::Look: return {kFolderAccess, kShareAll, FILE_OPEN, folder, 0};
    case FileOpen::MakeFolder: return {kFolderAccess, kShareNoDelete, FILE_CREATE, folder, FILE_ATTRIBUTE_NORMAL};
    case FileOpen::MakeHidden: return {kFolderAccess, kShareNoDelete, FILE_CREATE, folder, FILE_ATTRIBUTE_HIDDEN};
    case FileOpen::Probe: return {FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0, 0};
    case FileOpen::Read: return {FILE_READ_DATA | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, file, 0};
    // Nobody else writes or deletes it while we do.
    case FileOpen::Create:
      return {readWrite | FILE_WRITE_ATTRIBUTES | DELETE, FILE_SHARE_READ, FILE_CREATE, file, FILE_ATTRIBUTE_HIDDEN};
    case FileOpen::Update: return {readWrite, kShareAll, FILE_OPEN_IF, file, FILE_ATTRIBUTE_NORMAL};
    case FileOpen::Change: return {DELETE | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, file, 0};
  }
  return {};
}

// "\\?\C:\x" or "\\?\UNC\server\x" as the native API names it: "\??\C:\x".
std::wstring NativePath(const std::string& path) {
  std::wstring wide = WidePath(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) wide[1] = L'?';
  return wide;
}

ErrorCode NtError(NTSTATUS status) { return status >= 0 ? ERROR_SUCCESS : RtlNtStatusToDosError(status); }

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

}  // namespace

ErrorCode Win32Platform::OpenAt(HANDLE folder, const std::string& name, FileOpen how, UniqueFile& file,
                                const std::string& sddl) {
  const bool relative = folder != INVALID_HANDLE_VALUE;
  const std::wstring wide = relative ? ToWide(name) : NativePath(name);
  if (wide.empty() || wide.size() > 32767) return ERROR_INVALID_NAME;
  UNICODE_STRING objectName{static_cast<USHORT>(wide.size() * sizeof(wchar_t)),
                            static_cast<USHORT>(wide.size() * sizeof(wchar_t)), const_cast<wchar_t*>(wide.c_str())};
  UniqueLocal descriptor;
  if (!sddl.empty() &&
      !ConvertStringSecurityDescriptorToSecurityDescriptorW(ToWide(sddl).c_str(), SDDL_REVISION_1,
                                                            reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put()),
                                                            nullptr))
    return GetLastError();
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, relative ? folder : nullptr,
                             descriptor.Get());
  const OpenWay way = WayOf(how);
  IO_STATUS_BLOCK io{};
  HANDLE opened = nullptr;
  const NTSTATUS status = NtCreateFile(&opened, way.access | SYNCHRONIZE, &attributes, &io, nullptr, way.attributes,
                                       way.share, way.disposition,
                                       way.options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status < 0) return NtError(status);
  file = UniqueFile(opened);
  return ERROR_SUCCESS;
}

// As ReadSmallFile opens a file (CreateFileW with GENERIC_READ, the reparse point itself, no folder), but
// relative to its folder: under Wine a full path costs the lookup of every part again, a name in an open
// folder only its own.
ErrorCode Win32Platform::ReadSmallFileAt(HANDLE folder, const std::string& name, std::uint64_t limit,
                                         std::string& data) {
  data.clear();
  const std::wstring wide = ToWide(name);
  if (folder == INVALID_HANDLE_VALUE || wide.empty() || wide.size() > 32767 || wide.find(L'\\') != std::wstring::npos)
    return ERROR_INVALID_NAME;
  UNICODE_STRING objectName{static_cast<USHORT>(wide.size() * sizeof(wchar_t)),
                            static_cast<USHORT>(wide.size() * sizeof(wchar_t)), const_cast<wchar_t*>(wide.c_str())};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE opened = nullptr;
  constexpr ULONG options =
      FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_SEQUENTIAL_ONLY | FILE_SYNCHRONOUS_IO_NONALERT;
  const NTSTATUS status = NtCreateFile(&opened, GENERIC_READ | SYNCHRONIZE, &attributes, &io, nullptr, 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, options, nullptr, 0);
  if (status < 0) return NtError(status);
  const UniqueFile file(opened);
  return ReadSmallOpenFile(file.Get(), limit, data);
}

ErrorCode Win32Platform::FileFactsOf(HANDLE file, FileFacts& facts) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return GetLastError();
  facts.attributes = info.dwFileAttributes;
  facts.links = info.nNumberOfLinks;
  facts.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
  facts.written = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  // The object's own name (GetFinalPathNameByHandle fails under Wine past MAX_PATH characters).
  std::string buffer(sizeof(UNICODE_STRING) + 65536, '\0');
  ULONG length = 0;
  if (const NTSTATUS status = NtQueryObject(file, ObjectNameInformation, buffer.data(),
                                            static_cast<ULONG>(buffer.size()), &length);
      status < 0)
    return NtError(status);
  const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
  std::wstring path(name->Buffer, name->Length / sizeof(wchar_t));
  if (path.rfind(L"\\??\\", 0) == 0) path.erase(0, 4);
  facts.path = FromWide(path);
  return ERROR_SUCCESS;
}

ErrorCode Win32Platform::ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& data) {
  data.clear();
  std::string buffer(std::min<std::size_t>(count, 1 << 20), '\0');
  while (data.size() < count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(buffer.size(), count - data.size()));
    if (!ReadFile(file, buffer.data(), chunk, &got, &at)) {
      const DWORD rc = GetLastError();
      return rc == ERROR_HANDLE_EOF ? ERROR_SUCCESS : rc;
    }
    if (got == 0) break;
    data.append(buffer, 0, got);
    offset += got;
  }
  return ERROR_SUCCESS;
}

ErrorCode Win32Platform::WriteAt(HANDLE file, std::uint64_t offset, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(file, bytes.data() + done, chunk, &written, &at)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

ErrorCode Win32Platform::SetFileFacts(HANDLE file, DWORD attributes, std::uint64_t written) {
  FILE_BASIC_INFO info{};
  info.LastWriteTime.QuadPart = static_cast<LONGLONG>(written);
  info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) ? ERROR_SUCCESS : GetLastError();
}

ErrorCode Win32Platform::RenameAt(HANDLE file, HANDLE folder, const std::string& name, bool replace) {
  const std::wstring wide = ToWide(name);
  std::string buffer(offsetof(FILE_RENAME_INFORMATION, FileName) + (wide.size() + 1) * sizeof(wchar_t), '\0');
  auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  info->ReplaceIfExists = replace;
  info->RootDirectory = folder;
  info->FileNameLength = static_cast<ULONG>(wide.size() * sizeof(wchar_t));
  std::copy(wide.begin(), wide.end(), info->FileName);
  IO_STATUS_BLOCK io{};
  return NtError(NtSetInformationFile(file, &io, info, static_cast<ULONG>(buffer.size()), FileRenameInformation));
}

ErrorCode Win32Platform::DeleteOpen(HANDLE file) {
  FILE_DISPOSITION_INFO info{TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) ? ERROR_SUCCESS : GetLastError();
}

ErrorCode Win32Platform::LockOpen(HANDLE file) {
  OVERLAPPED at{};
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) ? ERROR_SUCCESS
                                                                                            : GetLastError();
}

}  // namespace kestrun
