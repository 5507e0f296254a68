// The exact file a new shortcut is given: slashes turned, quotes taken off, a relative name made full.
#include "store/ShortcutTarget.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "store/Locations.h"

namespace kestrun {
namespace {

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

}  // namespace kestrun
