#pragma once
// Which files exist, learnt a folder at a time: one listing answers every question about the files of
// that folder, and a folder missing from its parent's listing answers for everything below it. Under
// Wine each probe of a path is a server round trip, and the commands of ten thousand entries share a
// few folders. What it holds is as old as the first question: make a new one (or Clear it) per run.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "store/platform/Platform.h"

namespace kestrun {

class FolderCache {
 public:
  explicit FolderCache(IPlatform& platform) : platform_(platform) {}

  // What IPlatform::FileExists answers (a file, not a folder); its size too when size is given. A
  // path whose meaning the file system makes (a short name, "..", a trailing dot, a name outside
  // ASCII in another letter case, a folder that cannot be listed) is asked of the machine itself.
  bool FileExists(const std::string& path, std::uint64_t* size = nullptr);
  // Whether a folder is there, from its parent's listing where it can.
  bool FolderExists(const std::string& path);
  void Clear() { folders_.clear(); }

 private:
  struct Folder {
    enum class State { Listed, Empty, Unknown } state = State::Unknown;
    std::unordered_map<std::string, FolderEntry> entries;  // by NameKey; attributes ~0u: names that collide
  };
  const Folder& FolderAt(const std::string& folder);
  const Folder& FolderOf(const std::string& folder, const Folder* parent, const std::string& name);
  bool Probe(const std::string& path, std::uint64_t* size);
  // The parent's listing of path's last part: nullptr when no listing says, an entry with attributes
  // ~0u when it says there is none.
  const FolderEntry* Listed(const std::string& path);

  IPlatform& platform_;  // not owned
  std::unordered_map<std::string, Folder> folders_;  // by NameKey of the whole folder path
};

}  // namespace kestrun
