#include "store/platform/LinkInfo.h"

#include <cstdint>
#include <cstring>

namespace kestrun {
namespace {

constexpr size_t kHeaderSize = 0x4C;
constexpr uint32_t kHasIdList = 0x1, kHasLinkInfo = 0x2;
constexpr uint32_t kVolumeAndLocalPath = 0x1;
constexpr uint32_t kPlainHeader = 0x1C, kUnicodeHeader = 0x24;

uint32_t Read32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

void Append32(std::string& bytes, uint32_t value) { bytes.append(reinterpret_cast<const char*>(&value), 4); }

}  // namespace

std::optional<std::string> WithUnicodeLocalPath(const std::string& link, const std::wstring& path,
                                                const std::string& ansiPath) {
  if (link.size() < kHeaderSize || Read32(link, 0) != kHeaderSize) return std::nullopt;
  const uint32_t flags = Read32(link, 0x14);
  if (!(flags & kHasLinkInfo)) return std::nullopt;
  size_t start = kHeaderSize;
  if (flags & kHasIdList) {
    if (link.size() < start + 2) return std::nullopt;
    start += 2 + (static_cast<unsigned char>(link[start]) | (static_cast<unsigned char>(link[start + 1]) << 8));
  }
  if (link.size() < start + kPlainHeader) return std::nullopt;
  const uint32_t size = Read32(link, start), header = Read32(link, start + 4);
  const uint32_t infoFlags = Read32(link, start + 8), volumeAt = Read32(link, start + 12);
  if (header != kPlainHeader || infoFlags != kVolumeAndLocalPath || size > link.size() - start ||
      volumeAt < header || volumeAt + 4 > size)
    return std::nullopt;
  const uint32_t volumeSize = Read32(link, start + volumeAt);
  if (volumeSize < 4 || volumeAt + volumeSize > size) return std::nullopt;

  std::string volume = link.substr(start + volumeAt, volumeSize);
  const uint32_t localAt = kUnicodeHeader + volumeSize;
  const uint32_t suffixAt = localAt + static_cast<uint32_t>(ansiPath.size()) + 1;
  const uint32_t unicodeAt = suffixAt + 1;
  const uint32_t unicodeSuffixAt = unicodeAt + static_cast<uint32_t>((path.size() + 1) * 2);
  const uint32_t total = unicodeSuffixAt + 2;
  std::string info;
  for (const uint32_t field : {total, kUnicodeHeader, kVolumeAndLocalPath, kUnicodeHeader, localAt, 0u, suffixAt,
                               unicodeAt, unicodeSuffixAt})
    Append32(info, field);
  info += volume;
  info += ansiPath;
  info += '\0';
  info += '\0';  // the common path suffix: empty
  for (const wchar_t unit : path + L'\0') {
    info += static_cast<char>(unit & 0xFF);
    info += static_cast<char>((unit >> 8) & 0xFF);
  }
  info.append(2, '\0');
  return link.substr(0, start) + info + link.substr(start + size);
}

}  // namespace kestrun
