// Registry half of Win32Platform: the wide API only, so that names and string data arrive exactly as
// stored (an unpaired surrogate included); names and data of any length, buffers sized from the key.
#include "store/platform/Win32Platform.h"

#include <algorithm>
#include <atomic>

#include "base/Concurrent.h"
#include "base/Text.h"

namespace kestrun {
namespace {

// Wine and Windows both copy through the buffer we pass: keep it small for the usual short values
// and read an oversized value with a buffer of its own.
constexpr DWORD kSmallData = 4096;
constexpr DWORD kMaxNameChars = 16384;  // 16,383 characters and NUL
// Keys this large are read in slices on several threads; smaller ones do not repay the threads.
constexpr DWORD kConcurrentValues = 1024;
constexpr DWORD kValuesPerSlice = 256;

struct EnumBuffers {
  std::wstring name;
  std::string data;
};

// One value by index; grows the name buffer as needed and reads large data into its own buffer.
LONG EnumOne(HKEY key, DWORD index, EnumBuffers& buf, RegValue& out) {
  std::string* data = &buf.data;
  std::string big;
  for (;;) {
    DWORD nameLen = static_cast<DWORD>(buf.name.size());
    DWORD dataLen = static_cast<DWORD>(data->size());
    DWORD type = REG_NONE;
    const LONG rc = RegEnumValueW(key, index, buf.name.data(), &nameLen, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data->data()), &dataLen);
    if (rc == ERROR_MORE_DATA) {
      if (dataLen > data->size()) {
        big.resize(dataLen);
        data = &big;
      } else if (buf.name.size() < kMaxNameChars) {
        buf.name.resize(kMaxNameChars);
      } else {
        return rc;
      }
      continue;
    }
    if (rc != ERROR_SUCCESS) return rc;
    out.name = FromWide(std::wstring_view(buf.name.data(), nameLen));
    out.type = type;
    out.data.assign(data->data(), std::min<size_t>(dataLen, data->size()));
    return rc;
  }
}

struct ValueSizes {
  DWORD name = 0, data = 0;  // the longest name (characters) and data (bytes) the key reported
};

EnumBuffers BuffersFor(const ValueSizes& sizes) {
  EnumBuffers buf;
  buf.name.resize(std::min<DWORD>(sizes.name + 1, kMaxNameChars));
  buf.data.resize(std::min(std::max<DWORD>(sizes.data, 1), kSmallData));
  return buf;
}

ErrorCode EnumFrom(HKEY key, DWORD first, const ValueSizes& sizes, std::vector<RegValue>& values) {
  EnumBuffers buf = BuffersFor(sizes);
  for (DWORD i = first;; ++i) {
    RegValue value;
    const LONG rc = EnumOne(key, i, buf, value);
    if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    values.push_back(std::move(value));
  }
}

// The first count values, in slices read side by side on threads threads: a large key's values arrive
// several times faster under Wine, whose server answers one value per call. False when any slice could
// not be read whole (the key shrank meanwhile, or a call failed): the caller reads the key again one at
// a time.
bool EnumConcurrently(HKEY key, DWORD count, const ValueSizes& sizes, unsigned threads,
                      std::vector<RegValue>& values) {
  values.resize(count);
  const DWORD slices = (count + kValuesPerSlice - 1) / kValuesPerSlice;
  std::atomic<bool> whole{true};
  ForEachConcurrently(slices, threads, [&](std::size_t slice) {
    EnumBuffers buf = BuffersFor(sizes);
    const DWORD end = std::min<DWORD>(count, static_cast<DWORD>((slice + 1) * kValuesPerSlice));
    for (DWORD i = static_cast<DWORD>(slice * kValuesPerSlice); i < end && whole; ++i)
      if (EnumOne(key, i, buf, values[i]) != ERROR_SUCCESS) whole = false;
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
  DWORD count = 0, maxName = 0, maxData = 0;
  const LONG rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName,
                                   &maxData, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  const ValueSizes sizes{maxName, maxData};
  values.reserve(count);
  DWORD read = 0;
  if (concurrency_ > 1 && count >= kConcurrentValues && EnumConcurrently(key, count, sizes, concurrency_, values))
    read = count;
  else
    values.clear();
  // From there one at a time, up to the end: values added since the count was taken included.
  return EnumFrom(key, read, sizes, values);
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
