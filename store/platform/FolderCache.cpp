// A folder's listing stands for a probe of each of its files.
#include "store/platform/FolderCache.h"

#include <array>
#include <cctype>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Text.h"

namespace kestrun {
namespace {

// Letter case folded where it is sure to match as the file system matches (ASCII); a name outside
// ASCII matches only as written, and is asked of the machine when it does not.
std::string NameKey(std::string_view text) { return AsciiLower(std::string(text)); }

// "X:\part\part...": each part a name as listed, which the system takes literally. Anything else
// (UNC, "/" in a folder, "." or "..", a trailing blank or dot, a short name's "~", a wildcard, a
// stream's ":", an empty part) is left to the system, whose reading of it this does not repeat. The
// last part is taken literally ("\\?\"): there "/", "\"", "<", ">" and "|" are characters no file
// name holds, which no listing holds either (an argument such as "/background" ends up there).
bool IsPlain(const std::string& path) {
  enum : unsigned char { kAnywhere = 1, kInFolder = 2 };  // where a character is refused
  static constexpr std::array<unsigned char, 256> kRefused = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = kAnywhere;
    for (const unsigned char c : std::string_view(":*?~")) table[c] = kAnywhere;
    for (const unsigned char c : std::string_view("/\"<>|")) table[c] = kInFolder;
    return table;
  }();
  if (path.size() < 4 || path.size() > 32000 || !std::isalpha(static_cast<unsigned char>(path[0])) ||
      path[1] != ':' || path[2] != '\\')
    return false;
  for (size_t start = 3;;) {
    size_t end = path.find('\\', start);
    const bool last = end == std::string::npos;
    if (last) end = path.size();
    const std::string_view part(path.data() + start, end - start);
    if (part.empty() || part == "." || part == ".." || part.back() == ' ' || part.back() == '.') return false;
    const unsigned char refused = last ? kAnywhere : kAnywhere | kInFolder;
    for (const char c : part)
      if (kRefused[static_cast<unsigned char>(c)] & refused) return false;
    if (last) return true;
    start = end + 1;
  }
}

}  // namespace

bool FolderCache::Probe(const std::string& path, std::uint64_t* size) {
  const bool exists = platform_.FileExists(path);
  if (exists && size && platform_.FileSize(path, *size) != ERROR_SUCCESS) *size = 0;
  return exists;
}

// A folder's parent's listing (when there is one) tells whether it is there at all: a missing folder
// is never listed, nor anything below it.
bool FolderCache::MissingFrom(const Folder* parent, std::string_view name) {
  if (!parent || parent->state == Folder::State::Empty) return parent != nullptr;
  if (parent->state != Folder::State::Listed) return false;
  const auto entry = parent->entries.find(NameKey(name));
  return entry == parent->entries.end() ? IsAscii(name) : (entry->second.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void FolderCache::List(const std::string& path, Folder& folder) {
  std::vector<FolderEntry> entries;
  const ErrorCode rc = platform_.ListFolder(path, entries);
  const bool missing = rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND;
  folder.state = missing ? Folder::State::Empty : Folder::State::Unknown;
  if (rc != ERROR_SUCCESS) return;
  folder.state = Folder::State::Listed;
  for (FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    // Two names one letter case apart (a case-sensitive folder): which one the system finds is its own.
    const auto [at, added] = folder.entries.emplace(NameKey(entry.name), std::move(entry));
    if (!added) at->second.attributes = ~0u;
  }
}

// One more question about a folder: listed once asked often enough, unless its parent says it is missing.
const FolderCache::Folder& FolderCache::FolderOf(std::string_view path, const Folder* parent,
                                                 std::string_view name) {
  Folder& folder = folders_[NameKey(path)];
  if (folder.state != Folder::State::Unlisted) return folder;
  if (MissingFrom(parent, name)) {
    folder.state = Folder::State::Empty;
  } else if (++folder.asked >= kListAfter) {
    List(std::string(path), folder);
  }
  return folder;
}

// A folder ("X:" or "X:\\a\\b") known already, or asked about from its parent down.
const FolderCache::Folder& FolderCache::FolderAt(std::string_view folder) {
  if (const auto known = folders_.find(NameKey(folder));
      known != folders_.end() && known->second.state != Folder::State::Unlisted)
    return known->second;
  const size_t slash = folder.rfind('\\');
  if (slash == std::string_view::npos) return FolderOf(folder, nullptr, folder);
  const Folder& parent = FolderAt(folder.substr(0, slash));
  return FolderOf(folder, &parent, folder.substr(slash + 1));
}

const FolderEntry* FolderCache::Listed(const std::string& path) {
  static const FolderEntry kNone{{}, ~0u, 0};
  const std::string_view whole(path);
  const size_t slash = whole.rfind('\\');
  const Folder& folder = FolderAt(whole.substr(0, slash));
  if (folder.state == Folder::State::Empty) return &kNone;
  if (folder.state != Folder::State::Listed) return nullptr;
  const std::string_view name = whole.substr(slash + 1);
  const auto entry = folder.entries.find(NameKey(name));
  if (entry == folder.entries.end()) return IsAscii(name) ? &kNone : nullptr;
  return entry->second.attributes == ~0u ? nullptr : &entry->second;
}

bool FolderCache::FileExists(const std::string& path, std::uint64_t* size) {
  const FolderEntry* entry = IsPlain(path) ? Listed(path) : nullptr;
  if (!entry) return Probe(path, size);
  const bool file = (entry->attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;  // never for "none" (~0u)
  if (file && size) *size = entry->size;
  return file;
}

bool FolderCache::FolderExists(const std::string& path) {
  const FolderEntry* entry = IsPlain(path) ? Listed(path) : nullptr;
  DWORD attributes = entry ? entry->attributes : ~0u;
  if (!entry && platform_.FileAttributesOf(path, attributes) != ERROR_SUCCESS) return false;
  return attributes != ~0u && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace kestrun
