#pragma once
// The registry access object: one root hive (in one view) and at most one open key, opened for reading
// unless the caller asks to write. Reading or writing a value that cannot be read or written raises
// ERegistryError.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun {

class ERegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryAccess {
 public:
  explicit RegistryAccess(IPlatform& platform) : platform_(platform) {}

  // A different hive or view closes the open key; the same hive and view leave it open.
  void SetRoot(HKEY root, RegistryView view = RegistryView::Native);
  // A leading "\" is taken from the root. Only a success replaces the open key. Creating a key
  // always opens it for writing.
  bool OpenKey(const std::string& path, bool create, KeyAccess access = KeyAccess::Read);

  // Empties values, then lists the open key's names and raw data in one pass (none with no key open);
  // the system's error when the listing stopped short.
  ErrorCode GetValues(std::vector<RegValue>& values);
  // Empties names, then lists the open key's subkeys (none with no key open).
  void GetSubKeys(std::vector<std::string>& names);
  bool ValueExists(const std::string& name);
  // The value as stored, or nothing when it cannot be queried.
  std::optional<RegValue> ReadValue(const std::string& name);
  // Missing or empty value: "". REG_SZ/REG_EXPAND_SZ: up to the first NUL, never expanded.
  // Other types: "Invalid data type for '%s'"; a failed read: "Failed to get data for '%s'".
  std::string ReadString(const std::string& name);
  // Writes type and raw data exactly; "Failed to set data for '%s'".
  void WriteValue(const RegValue& value);
  bool DeleteValue(const std::string& name);
  // The system's code for the last OpenKey or DeleteValue (ERROR_SUCCESS after a success).
  [[nodiscard]] ErrorCode LastError() const { return lastError_; }

 private:
  IPlatform& platform_;  // not owned
  HKEY root_ = HKEY_CURRENT_USER;
  RegistryView view_ = RegistryView::Native;
  UniqueKey key_;  // owned
  ErrorCode lastError_ = ERROR_SUCCESS;
};

// True when the value reads as a string: a string type, or no data at all.
bool ReadsAsString(const RegValue& value);
// Decodes one value read as a string under the rules of ReadString (throws the same errors).
std::string DecodeStringValue(const RegValue& value);

}  // namespace kestrun
