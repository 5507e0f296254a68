// A shortcut's target: the full path a new link is given, and what an existing link's bytes name.
#include "store/ShortcutTarget.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "store/Locations.h"

namespace kestrun {
namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::string_view kLinkClass("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
constexpr std::string_view kComputerClass("\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16);
enum : std::uint32_t {
  kHasItems = 0x1, kHasInfo = 0x2, kHasName = 0x4, kHasRelative = 0x8, kHasWorkDir = 0x10, kHasArguments = 0x20,
  kHasIcon = 0x40, kIsUnicode = 0x80, kNoInfo = 0x100, kHasEnvironment = 0x200,
};
constexpr std::uint32_t kEnvironmentBlock = 0xA0000001, kEnvironmentSize = 0x314;
constexpr std::uint32_t kFileBlock = 0xBEEF0004;

// Untrusted bytes: every read is checked, and what lies outside reads as nothing.
class Span {
 public:
  explicit Span(std::string_view bytes) : bytes_(bytes) {}
  size_t Size() const { return bytes_.size(); }
  bool Has(size_t at, size_t count) const { return at <= bytes_.size() && count <= bytes_.size() - at; }
  std::uint32_t Number(size_t at, size_t count) const {  // little-endian; 0 outside
    std::uint32_t value = 0;
    for (size_t i = count; Has(at, count) && i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes_[at + i]);
    return value;
  }
  std::uint32_t U16(size_t at) const { return Number(at, 2); }
  std::uint32_t U32(size_t at) const { return Number(at, 4); }
  Span Part(size_t at, size_t count) const {
    return Span(Has(at, count) ? bytes_.substr(at, count) : std::string_view());
  }
  bool Holds(size_t at, std::string_view expected) const {
    return Has(at, expected.size()) && bytes_.substr(at, expected.size()) == expected;
  }
  // A NUL-terminated text: ANSI only where it is ASCII (its code page is the writer's), or UTF-16.
  // Nothing when it does not end inside.
  std::optional<std::string> Ascii(size_t at) const {
    const size_t end = at < bytes_.size() ? bytes_.find('\0', at) : std::string_view::npos;
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view text = bytes_.substr(at, end - at);
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
      return std::nullopt;
    return std::string(text);
  }
  std::optional<std::string> Wide(size_t at) const {
    std::wstring text;
    for (; Has(at, 2); at += 2) {
      if (U16(at) == 0) return FromWide(text);
      text += static_cast<wchar_t>(U16(at));
    }
    return std::nullopt;
  }

 private:
  std::string_view bytes_;
};

std::string Joined(const std::string& base, const std::string& suffix) {
  if (suffix.empty() || base.empty()) return base;
  return base + (base.back() == '\\' ? "" : "\\") + suffix;
}

// A name one folder or file can have: nothing that would make it a path or a pattern.
bool IsItemName(const std::optional<std::string>& name) {
  return name && !name->empty() && *name != "." && *name != ".." &&
         std::none_of(name->begin(), name->end(), [](char c) {
           return (c >= 0 && c < 0x20) || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
         });
}

// A file or folder item: its long name from the extension block that ends the item (its last two
// bytes say where that block starts), else the name at its start.
std::optional<std::string> FileItemName(const Span& item) {
  const size_t size = item.Size(), blockAt = item.U16(size - 2);
  if (blockAt >= 14 && blockAt + 8 <= size - 2 && item.U16(blockAt) == size - blockAt) {
    const Span block = item.Part(blockAt, size - blockAt);
    const std::uint32_t version = block.U16(2), signature = block.U32(4);
    size_t nameAt = 0;  // by the block's version; Wine writes its own without version or signature
    if (signature == kFileBlock)
      nameAt = version == 3 ? 20 : version == 7 ? 38 : version == 8 ? 42 : version == 9 ? 46 : 0;
    if (signature == 0 && version == 0) nameAt = 20;
    if (std::optional<std::string> name = block.Wide(nameAt); nameAt && IsItemName(name)) return name;
  }
  std::optional<std::string> name = item.Number(2, 1) & 0x04 ? item.Wide(14) : item.Ascii(14);
  return IsItemName(name) ? name : std::nullopt;
}

// The path of an item list that is the computer (or nothing), a drive, then folders and a file; ""
// for any other list, whose items only the shell can read.
std::string ItemListPath(const Span& list) {
  std::string path;
  for (size_t at = 0; list.Has(at, 2);) {
    const size_t size = list.U16(at);
    if (size == 0) return path;
    if (size < 3 || !list.Has(at, size)) return {};
    const Span item = list.Part(at, size);
    const std::uint32_t type = item.Number(2, 1);
    if (at == 0 && type == 0x1F) {
      if (!item.Holds(4, kComputerClass)) return {};
    } else if ((type & 0x70) == 0x20 && path.empty()) {
      const std::optional<std::string> drive = item.Ascii(3);
      if (!drive || drive->size() != 3 || !std::isalpha(static_cast<unsigned char>((*drive)[0])) ||
          drive->substr(1) != ":\\")
        return {};
      path = *drive;
    } else if ((type & 0x70) == 0x30 && !path.empty()) {
      const std::optional<std::string> name = FileItemName(item);
      if (!name) return {};
      path = Joined(path, *name);
    } else {
      return {};
    }
    at += size;
  }
  return {};  // no end mark: cut short
}

// A text of the location block at a field's offset; nothing for an offset into its header.
std::optional<std::string> InfoText(const Span& span, size_t header, size_t offset, bool wide) {
  if (offset < header) return std::nullopt;
  return wide ? span.Wide(offset) : span.Ascii(offset);
}

// The local base path and common suffix (the Unicode ones where given), else the share and suffix.
std::string InfoPath(const Span& info) {
  const size_t header = info.U32(4);
  const std::uint32_t flags = info.U32(8);
  if (header < 0x1C || header > info.Size()) return {};
  const bool wide = header >= 0x24;
  const bool wideSuffix = wide && info.U32(0x20);
  const std::optional<std::string> suffix = InfoText(info, header, info.U32(wideSuffix ? 0x20 : 0x18), wideSuffix);
  if (!suffix) return {};
  if (flags & 0x1) {
    const bool wideBase = wide && info.U32(0x1C);
    const std::optional<std::string> base = InfoText(info, header, info.U32(wideBase ? 0x1C : 0x10), wideBase);
    if (base && !base->empty()) return Joined(*base, *suffix);
  }
  if (!(flags & 0x2)) return {};
  const size_t netAt = info.U32(0x14);
  const Span net = info.Part(netAt, info.U32(netAt));
  const size_t nameAt = net.U32(8);  // past 0x14: the Unicode name's offset follows it
  if (netAt < header || net.Size() < 0x14) return {};
  const std::optional<std::string> share =
      nameAt > 0x14 ? InfoText(net, 0x1C, net.U32(0x14), true) : InfoText(net, 0x14, nameAt, false);
  return share ? Joined(*share, *suffix) : std::string();
}

std::string EnvironmentPath(const Span& link, size_t at) {
  for (size_t size = link.U32(at); size >= 8 && link.Has(at, size); at += size, size = link.U32(at)) {
    if (link.U32(at + 4) != kEnvironmentBlock || size < kEnvironmentSize) continue;
    std::optional<std::string> path = link.Part(at + 8 + 260, 520).Wide(0);
    if (!path || path->empty()) path = link.Part(at + 8, 260).Ascii(0);
    return path.value_or("");
  }
  return {};
}

// The string fields in their order; where the next part starts, or nothing when one does not fit.
std::optional<size_t> ReadStrings(const Span& link, size_t at, std::uint32_t flags, LinkData& data) {
  const size_t unit = flags & kIsUnicode ? 2 : 1;
  for (const std::uint32_t field : {kHasName, kHasRelative, kHasWorkDir, kHasArguments, kHasIcon}) {
    if (!(flags & field)) continue;
    const size_t count = link.U16(at) * unit;
    if (!link.Has(at, 2 + count)) return std::nullopt;
    const Span text = link.Part(at + 2, count);
    std::wstring wide;
    bool ascii = true;
    for (size_t i = 0; i < count && (unit == 1 ? text.Number(i, 1) : text.U16(i)) != 0; i += unit) {
      wide += static_cast<wchar_t>(unit == 1 ? text.Number(i, 1) : text.U16(i));
      ascii = ascii && (unit == 2 || wide.back() < 0x80);
    }
    if (field == kHasRelative) data.relativePath = ascii ? FromWide(wide) : std::string();
    if (field == kHasArguments) {
      data.arguments = FromWide(wide);  // ANSI read as Latin-1, and marked as inexact
      data.argumentsExact = ascii;
    }
    at += 2 + count;
  }
  return at;
}

// "C:" or "\\server\share": what ".." never goes above.
size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return 2;
  const size_t share = path.find('\\', 2);
  return share == std::string::npos ? path.size() : std::min(path.find('\\', share + 1), path.size());
}

// The text inside a leading pair of quotes, and what follows the closing one; nothing without such a pair.
std::optional<std::pair<std::string, std::string>> Quoted(const std::string& target) {
  const size_t close = target.size() > 1 && target[0] == '"' ? target.find('"', 1) : std::string::npos;
  if (close == std::string::npos) return std::nullopt;
  return std::pair{target.substr(1, close - 1), target.substr(close + 1)};
}

}  // namespace

bool IsCommandLine(const std::string& target) {
  const auto quoted = Quoted(target);
  return quoted && quoted->second.find_first_not_of(" \t") != std::string::npos;
}

std::string ShortcutTargetOf(IPlatform& platform, const std::string& target) {
  // Explorer's "Copy as path" gives a program in quotes.
  const auto quoted = Quoted(target);
  std::string path = quoted && !IsCommandLine(target) ? quoted->first : target;
  // In WTF-8 a "/" byte never occurs inside a multi-byte character.
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.empty() || IsFullPath(path)) return path;
  return platform.FullPathOf(path);
}

std::optional<LinkData> ReadLinkData(std::string_view bytes) {
  const Span link(bytes);
  if (link.U32(0) != kHeaderSize || !link.Has(0, kHeaderSize) || !link.Holds(4, kLinkClass)) return std::nullopt;
  const std::uint32_t flags = link.U32(0x14);
  LinkData data;
  size_t at = kHeaderSize;
  if (flags & kHasItems) {
    const size_t size = link.U16(at);
    if (!link.Has(at, 2 + size)) return data;
    data.itemListPath = ItemListPath(link.Part(at + 2, size));
    at += 2 + size;
  }
  if (flags & kHasInfo) {
    const size_t size = link.U32(at);
    if (size < 4 || !link.Has(at, size)) return data;
    if (!(flags & kNoInfo)) data.infoPath = InfoPath(link.Part(at, size));
    at += size;
  }
  const std::optional<size_t> extra = ReadStrings(link, at, flags, data);
  if (extra && (flags & kHasEnvironment)) data.environmentPath = EnvironmentPath(link, *extra);
  return data;
}

std::string LinkPathFrom(const std::string& folder, const std::string& path) {
  std::string full = path;
  std::replace(full.begin(), full.end(), '/', '\\');
  if (full.rfind("\\\\?\\", 0) == 0) return path;  // literal: taken as it stands
  if (full.empty() || (full.size() >= 2 && full[1] == ':' && (full.size() == 2 || full[2] != '\\'))) return {};
  if (full[0] == '\\' && (full.size() < 2 || full[1] != '\\')) full = folder.substr(0, RootLength(folder)) + full;
  else if (!IsFullPath(full)) full = folder + "\\" + full;
  if (!IsFullPath(full)) return {};
  const size_t root = RootLength(full);
  std::vector<std::string> parts;
  for (size_t start = root; start < full.size();) {
    const size_t end = std::min(full.find('\\', start), full.size());
    const std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result = full.substr(0, root);
  for (const std::string& part : parts) result += "\\" + part;
  return parts.empty() ? result + "\\" : result;
}

}  // namespace kestrun
