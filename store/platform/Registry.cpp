#include "store/platform/Registry.h"

#include <cstring>
#include <cwchar>

#include "base/Text.h"
#include "base/Texts.h"
#include "store/platform/TextIds.h"

namespace kestrun {
namespace {

std::string FromRoot(const std::string& path) {
  size_t i = 0;
  while (i < path.size() && path[i] == '\\') ++i;
  return path.substr(i);
}

[[noreturn]] void Raise(unsigned what, const std::string& name) { throw ERegistryError(Text(what, {name})); }

}  // namespace

bool ReadsAsString(const RegValue& value) {
  return value.data.empty() || value.type == REG_SZ || value.type == REG_EXPAND_SZ;
}

std::string DecodeStringValue(const RegValue& value) {
  if (value.data.empty()) return {};
  if (!ReadsAsString(value)) Raise(IDS_INVALID_DATA_TYPE, value.name);
  // Stored as UTF-16LE; it need not end in NUL (nor even fill its last unit): never read past its
  // own length.
  std::wstring text(value.data.size() / 2, L'\0');
  std::memcpy(text.data(), value.data.data(), text.size() * sizeof(wchar_t));
  return FromWide(std::wstring_view(text.data(), std::wcslen(text.c_str())));
}

void RegistryAccess::SetRoot(HKEY root, RegistryView view) {
  if (root == root_ && view == view_) return;
  key_.Reset();
  root_ = root;
  view_ = view;
}

bool RegistryAccess::OpenKey(const std::string& path, bool create, KeyAccess access) {
  UniqueKey key;
  if (create) access = KeyAccess::Write;
  lastError_ = platform_.OpenKey(root_, view_, FromRoot(path), create, access, key);
  if (lastError_ != ERROR_SUCCESS) return false;
  key_ = std::move(key);
  return true;
}

ErrorCode RegistryAccess::GetValues(std::vector<RegValue>& values) {
  values.clear();
  if (!key_) return ERROR_INVALID_HANDLE;
  return platform_.EnumValues(key_.Get(), values);
}

void RegistryAccess::GetSubKeys(std::vector<std::string>& names) {
  names.clear();
  if (key_) platform_.EnumSubKeys(key_.Get(), names);
}

bool RegistryAccess::ValueExists(const std::string& name) { return ReadValue(name).has_value(); }

std::optional<RegValue> RegistryAccess::ReadValue(const std::string& name) {
  RegValue value;
  if (!key_ || platform_.QueryValue(key_.Get(), name, value) != ERROR_SUCCESS) return std::nullopt;
  return value;
}

std::string RegistryAccess::ReadString(const std::string& name) {
  if (!key_) Raise(IDS_GET_DATA_FAILED, name);
  RegValue value;
  const ErrorCode rc = platform_.QueryValue(key_.Get(), name, value);
  if (rc == ERROR_FILE_NOT_FOUND) return {};
  if (rc != ERROR_SUCCESS) Raise(IDS_GET_DATA_FAILED, name);
  return DecodeStringValue(value);
}

void RegistryAccess::WriteValue(const RegValue& value) {
  if (!key_ || platform_.SetValue(key_.Get(), value.name, value.type, value.data) != ERROR_SUCCESS)
    Raise(IDS_SET_DATA_FAILED, value.name);
}

bool RegistryAccess::DeleteValue(const std::string& name) {
  lastError_ = key_ ? platform_.DeleteValue(key_.Get(), name) : ERROR_INVALID_HANDLE;
  return lastError_ == ERROR_SUCCESS;
}

}  // namespace kestrun
