#pragma once
// Shell-link files built byte by byte as the published format lays them out, in the shapes other
// programs write: a header, then whichever of item list, location block, strings and extra blocks
// a test gives.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrun::test {

inline std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}
inline std::string Utf16(const std::wstring& text, bool terminated = true) {
  std::string out;
  for (const wchar_t c : text) out += Le(static_cast<std::uint16_t>(c), 2);
  return terminated ? out + Le(0, 2) : out;
}

enum LinkFlag : std::uint32_t {
  kIdList = 0x1, kInfo = 0x2, kName = 0x4, kRelative = 0x8, kWorkDir = 0x10, kArgs = 0x20, kUnicode = 0x80,
  kExpString = 0x200,
};

struct LinkBytes {
  std::string items{};  // item ids, without the list's size and end mark
  std::string info{};   // a whole location block
  std::vector<std::pair<LinkFlag, std::wstring>> strings{};  // in the format's order
  std::string extra{};  // whole extra blocks
  bool unicode = true;

  std::string Bytes() const {
    std::uint32_t flags = unicode ? std::uint32_t{kUnicode} : 0;
    if (!items.empty()) flags |= kIdList;
    if (!info.empty()) flags |= kInfo;
    for (const auto& [flag, text] : strings) flags |= flag;
    if (!extra.empty()) flags |= kExpString;
    const std::string clsid("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
    std::string out = Le(0x4C, 4) + clsid + Le(flags, 4) + std::string(0x4C - 0x18, '\0');
    if (!items.empty()) out += Le(items.size() + 2, 2) + items + Le(0, 2);
    out += info;
    for (const auto& [flag, text] : strings)
      out += Le(text.size(), 2) + (unicode ? Utf16(text, false) : std::string(text.begin(), text.end()));
    return out + extra + Le(0, 4);
  }
};

// Item ids: the computer, a drive, then one file entry per name (long names in the extension block).
inline std::string Item(int type, const std::string& body) { return Le(body.size() + 3, 2) + char(type) + body; }
inline std::string ComputerItem() {
  return Item(0x1F, std::string("\x50\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 17));
}
inline std::string DriveItem(char letter) {
  std::string body{letter, ':', '\\'};
  body.resize(22, '\0');
  return Item(0x2F, body);
}
inline std::string FileItem(const std::wstring& name, const std::string& shortName) {
  std::string body = std::string(1, '\0') + Le(0, 4) + Le(0, 4) + Le(0x20, 2) + shortName + '\0';
  if (body.size() % 2 == 0) body += '\0';  // the block starts on an even offset of the item
  const std::string block = Le(9, 2) + Le(0xBEEF0004, 4) + std::string(8, '\0') + Le(0x2E, 2) +
                            std::string(18, '\0') + Le(0, 2) + std::string(8, '\0') + Utf16(name);
  const std::size_t at = body.size() + 3;
  return Item(0x32, body + Le(block.size() + 4, 2) + block + Le(at, 2));
}

// A location block: a local base path and common suffix (Unicode too when asked), or a share.
inline std::string LocalInfo(const std::string& base, const std::string& suffix, const std::wstring& wideBase = {},
                             const std::wstring& wideSuffix = {}) {
  const bool wide = !wideBase.empty();
  const std::uint32_t header = wide ? 0x24 : 0x1C;
  const std::string volume = Le(0x11, 4) + Le(3, 4) + Le(0x1234, 4) + Le(0x10, 4) + '\0';
  const std::uint32_t baseAt = header + volume.size(), suffixAt = baseAt + base.size() + 1;
  const std::uint32_t wideAt = suffixAt + suffix.size() + 1, wideSuffixAt = wideAt + (wideBase.size() + 1) * 2;
  std::string fields = Le(header, 4) + Le(1, 4) + Le(header, 4) + Le(baseAt, 4) + Le(0, 4) + Le(suffixAt, 4);
  if (wide) fields += Le(wideAt, 4) + Le(wideSuffixAt, 4);
  std::string body = fields + volume + base + '\0' + suffix + '\0';
  if (wide) body += Utf16(wideBase) + Utf16(wideSuffix);
  return Le(body.size() + 4, 4) + body;
}
inline std::string ShareInfo(const std::string& share, const std::string& suffix) {
  const std::string net = Le(0x14 + share.size() + 1, 4) + Le(0, 4) + Le(0x14, 4) + Le(0, 4) + Le(0x20000, 4) +
                          share + '\0';
  const std::string body = Le(0x1C, 4) + Le(2, 4) + Le(0, 4) + Le(0, 4) + Le(0x1C, 4) +
                           Le(0x1C + net.size(), 4) + net + suffix + '\0';
  return Le(body.size() + 4, 4) + body;
}
// The block that names the target with environment variables in it.
inline std::string EnvironmentBlock(const std::string& target) {
  std::string ansi = target;
  ansi.resize(260, '\0');
  std::string wide = Utf16(std::wstring(target.begin(), target.end()));
  wide.resize(520, '\0');
  return Le(0x314, 4) + Le(0xA0000001, 4) + ansi + wide;
}

}  // namespace kestrun::test
