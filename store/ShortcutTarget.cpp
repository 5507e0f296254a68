#include "store/ShortcutTarget.h"

#include <algorithm>

#include "store/Locations.h"

namespace kestrun {

std::string ShortcutTargetOf(IPlatform& platform, const std::string& target) {
  std::string path = target;
  // In WTF-8 a "/" byte never occurs inside a multi-byte character.
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.empty() || IsFullPath(path)) return path;
  return platform.FullPathOf(path);
}

}  // namespace kestrun
