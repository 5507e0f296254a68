#include "tests/store/PrefixSeed.h"

#include <sddl.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "base/Handles.h"
#include "base/Text.h"

namespace kestrun::test {
namespace {

void Check(LONG rc, const std::string& what) {
  if (rc != ERROR_SUCCESS) throw std::runtime_error(what + " failed with " + std::to_string(rc));
}

std::wstring Long(const std::string& path) { return L"\\\\?\\" + ToWide(path); }

}  // namespace

std::string VersionKey(const std::string& sub) { return "Software\\Microsoft\\Windows\\CurrentVersion\\" + sub; }

std::string Version32Key(const std::string& sub) {
  return "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\" + sub;
}

std::string ApprovedKey(const std::string& sub) { return VersionKey("Explorer\\StartupApproved\\" + sub); }

void SetRaw(HKEY hive, const std::string& key, const std::string& name, DWORD type, const void* data,
            DWORD size) {
  UniqueKey handle;
  Check(RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.Put(), nullptr),
        "RegCreateKeyExA " + key);
  Check(RegSetValueExA(handle.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
        "RegSetValueExA " + name);
}

void SetString(HKEY hive, const std::string& key, const std::string& name, const std::string& text,
               DWORD type) {
  SetRaw(hive, key, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void SetDword(HKEY hive, const std::string& key, const std::string& name, DWORD number) {
  SetRaw(hive, key, name, REG_DWORD, &number, sizeof number);
}

std::optional<RawValue> ReadRaw(HKEY hive, const std::string& key, const std::string& name) {
  UniqueKey handle;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, handle.Put()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(handle.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::string data(size, '\0');
  Check(RegQueryValueExA(handle.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size),
        "RegQueryValueExA " + name);
  data.resize(size);
  return RawValue{type, data};
}

std::string Utf16Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

void SetWide(HKEY hive, const std::string& key, const std::wstring& name, const std::wstring& text, DWORD type) {
  UniqueKey handle;
  Check(RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.Put(), nullptr),
        "RegCreateKeyExA " + key);
  const std::string data = Utf16Bytes(text);
  Check(RegSetValueExW(handle.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size())),
        "RegSetValueExW");
}

std::optional<RawValue> ReadWide(HKEY hive, const std::string& key, const std::wstring& name) {
  UniqueKey handle;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, handle.Put()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(handle.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::string data(size, '\0');
  Check(RegQueryValueExW(handle.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size),
        "RegQueryValueExW");
  data.resize(size);
  return RawValue{type, data};
}

int ValueCount(HKEY hive, const std::string& key) {
  UniqueKey handle;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, handle.Put()) != ERROR_SUCCESS) return -1;
  DWORD count = 0;
  Check(RegQueryInfoKeyA(handle.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         nullptr, nullptr, nullptr, nullptr),
        "RegQueryInfoKeyA " + key);
  return static_cast<int>(count);
}

void DeleteKey(HKEY hive, const std::string& key) {
  // Given a subkey, RegDeleteTree deletes the key itself too.
  const LONG rc = RegDeleteTreeA(hive, key.c_str());
  if (rc != ERROR_FILE_NOT_FOUND) Check(rc, "RegDeleteTreeA " + key);
}

void DeleteStartupKeys() {
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (const char* sub : {"Run", "Run-", "RunServices", "RunServices-", "RunOnce", "RunOnce-"})
      DeleteKey(hive, VersionKey(sub));
    DeleteKey(hive, VersionKey("Explorer\\StartupApproved"));
  }
  for (const char* sub : {"Run", "Run-"}) DeleteKey(HKEY_LOCAL_MACHINE, Version32Key(sub));
  DeleteKey(HKEY_CURRENT_USER, kAppModelKey);
}

LockedKey::LockedKey(HKEY hive, const std::string& key) {
  Check(RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle_.Put(), nullptr),
        "RegCreateKeyExA " + key);
  Apply(L"D:P(A;;KR;;;WD)");
}

LockedKey::~LockedKey() { Apply(L"D:P(A;;KA;;;WD)"); }

void LockedKey::Apply(const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return;
  UniqueLocal owned(descriptor);
  RegSetKeySecurity(handle_.Get(), DACL_SECURITY_INFORMATION, descriptor);
}

std::string ShellFolder(HKEY hive, const char* value) {
  const auto raw = ReadRaw(hive, kShellFolders, value);
  return raw ? std::string(raw->data.c_str()) : "";
}

void SetShellFolder(HKEY hive, const char* value, const std::string& path) {
  SetString(hive, kShellFolders, value, path);
}

void MakeFile(const std::string& path, DWORD attributes, const std::string& contents) {
  const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Check(static_cast<LONG>(GetLastError()), "CreateFileW " + path);
  DWORD written = 0;
  WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  CloseHandle(file);
  if (attributes != FILE_ATTRIBUTE_NORMAL && !SetFileAttributesW(Long(path).c_str(), attributes))
    Check(static_cast<LONG>(GetLastError()), "SetFileAttributesW " + path);
}

void MakeFolder(const std::string& path) {
  if (!CreateDirectoryW(Long(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    Check(static_cast<LONG>(GetLastError()), "CreateDirectoryW " + path);
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Long(path).c_str()); }

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::string> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void EmptyFolder(const std::string& path) {
  WIN32_FIND_DATAW data;
  std::vector<std::string> names;
  {
    UniqueFind find(FindFirstFileW((Long(path) + L"\\*").c_str(), &data));
    if (!find) return;
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") names.push_back(FromWide(name));
    } while (FindNextFileW(find.Get(), &data));
  }
  for (const std::string& name : names) RemoveTree(path + "\\" + name);
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    EmptyFolder(path);
    if (!RemoveDirectoryW(Long(path).c_str())) Check(static_cast<LONG>(GetLastError()), "RemoveDirectoryW " + path);
  } else if (!DeleteFileW(Long(path).c_str())) {
    Check(static_cast<LONG>(GetLastError()), "DeleteFileW " + path);
  }
}

void AddPackage(const std::string& folder, const std::string& fullName, const std::string& manifest) {
  MakeFolder(folder);
  MakeFile(folder + "\\AppxManifest.xml", FILE_ATTRIBUTE_NORMAL, manifest);
  SetString(HKEY_CURRENT_USER, std::string(kAppModelKey) + "\\Repository\\Packages\\" + fullName, "PackageRootFolder",
            folder);
}

std::string OneTaskManifest(const std::string& taskId, const std::string& displayName) {
  return "<Package><Applications><Application Executable='chat.exe'><Extensions><Extension Category='windows."
         "startupTask'><d:StartupTask xmlns:d='http://schemas.microsoft.com/appx/manifest/desktop/windows10' "
         "TaskId='" + taskId + "' DisplayName='" + displayName + "' Enabled='true'/></Extension></Extensions>"
         "</Application></Applications></Package>";
}

}  // namespace kestrun::test
