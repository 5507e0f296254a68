// Registry half of Win32Platform: the wide API only, so that names and string data arrive exactly as
// stored (an unpaired surrogate included); names and data of any length, read in one call each.
#include "store/platform/Win32Platform.h"

#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "base/Concurrent.h"
#include "base/Text.h"

extern "C" NTSTATUS NTAPI NtEnumerateValueKey(HANDLE key, ULONG index, int infoClass, PVOID info, ULONG length,
                                              PULONG needed);

namespace kestrun {
namespace {

// The value as the kernel gives it (KEY_VALUE_FULL_INFORMATION), asked once: Wine's RegEnumValueW
// asks its server twice for a value whose name and data pass its 256-byte first try.
struct FullValueInfo {
  ULONG titleIndex, type, dataOffset, dataLength, nameLength;
  WCHAR name[1];
};
constexpr int kKeyValueFullInformation = 1;
constexpr NTSTATUS kNoMoreEntries = static_cast<NTSTATUS>(0x8000001A);
constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005);
constexpr NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);
// Large enough for the usual value at once; a larger one grows it to the size the kernel asks.
constexpr size_t kFirstBufferBytes = 4096;
// Keys this large are read in slices on several threads; smaller ones do not repay the threads.
constexpr DWORD kConcurrentValues = 1024;
constexpr DWORD kValuesPerSlice = 256;

// 8-byte aligned, as the kernel's answer must be.
using EnumBuffer = std::vector<std::uint64_t>;

// One value by index, name and data exactly as stored, of any length.
LONG EnumOne(HKEY key, DWORD index, EnumBuffer& buffer, RegValue& out) {
  if (buffer.empty()) buffer.resize(kFirstBufferBytes / sizeof(std::uint64_t));
  for (;;) {
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t));
    ULONG needed = 0;
    const NTSTATUS status = NtEnumerateValueKey(key, index, kKeyValueFullInformation, buffer.data(), size, &needed);
    if (status == kBufferOverflow || status == kBufferTooSmall) {
      if (needed <= size) return ERROR_MORE_DATA;  // never asked again for the same
      buffer.resize(needed / sizeof(std::uint64_t) + 1);
      continue;
    }
    if (status == kNoMoreEntries) return ERROR_NO_MORE_ITEMS;
    if (status < 0) return RtlNtStatusToDosError(status);
    const auto& info = *reinterpret_cast<const FullValueInfo*>(buffer.data());
    const size_t nameEnd = offsetof(FullValueInfo, name) + info.nameLength;
    if (nameEnd > size || info.dataOffset > size || info.dataLength > size - info.dataOffset) return ERROR_INVALID_DATA;
    out.name = FromWide(std::wstring_view(info.name, info.nameLength / sizeof(wchar_t)));
    out.type = info.type;
    out.data.assign(reinterpret_cast<const char*>(buffer.data()) + info.dataOffset, info.dataLength);
    return ERROR_SUCCESS;
  }
}

ErrorCode EnumFrom(HKEY key, DWORD first, std::vector<RegValue>& values) {
  EnumBuffer buffer;
  for (DWORD i = first;; ++i) {
    RegValue value;
    const LONG rc = EnumOne(key, i, buffer, value);
    if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    values.push_back(std::move(value));
  }
}

// The first count values, in slices read side by side on threads threads: a large key's values arrive
// several times faster under Wine, whose server answers one value per call. False when any slice could
// not be read whole (the key shrank meanwhile, or a call failed): the caller reads the key again one at
// a time.
bool EnumConcurrently(HKEY key, DWORD count, unsigned threads, std::vector<RegValue>& values) {
  values.resize(count);
  const DWORD slices = (count + kValuesPerSlice - 1) / kValuesPerSlice;
  std::atomic<bool> whole{true};
  ForEachConcurrently(slices, threads, [&](std::size_t slice) {
    EnumBuffer buffer;
    const DWORD end = std::min<DWORD>(count, static_cast<DWORD>((slice + 1) * kValuesPerSlice));
    for (DWORD i = static_cast<DWORD>(slice * kValuesPerSlice); i < end && whole; ++i)
      if (EnumOne(key, i, buffer, values[i]) != ERROR_SUCCESS) whole = false;
  });
  return whole;
}

}  // namespace

ErrorCode Win32Platform::OpenKey(HKEY root, RegistryView view, const std::string& path, bool create,
                                 KeyAccess access, UniqueKey& key) {
  // Never KEY_ALL_ACCESS: a standard user may read machine-wide keys but neither write them nor
  // change their security, and an open that asks for more than it needs fails outright.
  REGSAM sam = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  if (create || access == KeyAccess::Write) sam |= KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
  if (view == RegistryView::Bits32) sam |= KEY_WOW64_32KEY;
  const std::wstring wide = ToWide(path);
  if (create)
    return RegCreateKeyExW(root, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, key.Put(),
                           nullptr);
  return RegOpenKeyExW(root, wide.c_str(), 0, sam, key.Put());
}

ErrorCode Win32Platform::EnumValues(HKEY key, std::vector<RegValue>& values) {
  values.clear();
  DWORD count = 0;
  const LONG rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                                   nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  values.reserve(count);
  DWORD read = 0;
  if (concurrency_ > 1 && count >= kConcurrentValues && EnumConcurrently(key, count, concurrency_, values))
    read = count;
  else
    values.clear();
  // From there one at a time, up to the end: values added since the count was taken included.
  return EnumFrom(key, read, values);
}

ErrorCode Win32Platform::QueryValue(HKEY key, const std::string& name, RegValue& value) {
  const std::wstring wide = ToWide(name);
  value.name = name;
  value.data.resize(256);
  for (;;) {
    DWORD size = static_cast<DWORD>(value.data.size());
    const LONG rc = RegQueryValueExW(key, wide.c_str(), nullptr, &value.type,
                                     reinterpret_cast<BYTE*>(value.data.data()), &size);
    if (rc == ERROR_MORE_DATA) {
      value.data.resize(size);
      continue;
    }
    value.data.resize(rc == ERROR_SUCCESS ? std::min<size_t>(size, value.data.size()) : 0);
    return rc;
  }
}

ErrorCode Win32Platform::SetValue(HKEY key, const std::string& name, DWORD type, const std::string& data) {
  return RegSetValueExW(key, ToWide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

ErrorCode Win32Platform::DeleteValue(HKEY key, const std::string& name) {
  return RegDeleteValueW(key, ToWide(name).c_str());
}

ErrorCode Win32Platform::EnumSubKeys(HKEY key, std::vector<std::string>& names) {
  names.clear();
  DWORD count = 0, maxName = 0;
  LONG rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &maxName, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  // A key name holds at most 255 characters: enough for one added since the count, too.
  std::wstring name(std::max<DWORD>(maxName + 1, 256), L'\0');
  names.reserve(count);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    rc = RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    names.push_back(FromWide(std::wstring_view(name.data(), length)));
  }
}

ErrorCode Win32Platform::DeleteKey(HKEY root, RegistryView view, const std::string& path) {
  const REGSAM sam = view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  return RegDeleteKeyExW(root, ToWide(path).c_str(), sam, 0);
}

}  // namespace kestrun
