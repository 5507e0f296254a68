#pragma once
// Which files exist, learnt a folder at a time: one listing answers every question about the files of
// that folder, and a folder missing from its parent's listing answers for everything below it. The
// commands of ten thousand entries share a few folders; but a listing costs what some thirty probes of
// a path cost under Wine (a probe asks no server), so a folder is listed only once it has been asked
// about a few times, and until then each question is asked of the machine. What it holds is as old as
// the listing: make a new one (or Clear it) per run.
#include <cstdint>
#include <string>
#include <string_view>
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
    // Unlisted: not yet asked about often enough to list. Unknown: no listing to be had.
    enum class State { Unlisted, Listed, Empty, Unknown } state = State::Unlisted;
    int asked = 0;  // questions while unlisted
    std::unordered_map<std::string, FolderEntry> entries;  // by NameKey; attributes ~0u: names that collide
  };
  // Folders and names are looked at in place: the cache answers thousands of paths a run.
  const Folder& FolderAt(std::string_view folder);
  const Folder& FolderOf(std::string_view folder, const Folder* parent, std::string_view name);
  void List(const std::string& path, Folder& folder);
  static bool MissingFrom(const Folder* parent, std::string_view name);
  bool Probe(const std::string& path, std::uint64_t* size);
  // The parent's listing of path's last part: nullptr when no listing says, an entry with attributes
  // ~0u when it says there is none.
  const FolderEntry* Listed(const std::string& path);

  // Questions about one folder before it is listed; fewer are each asked of the machine.
  static constexpr int kListAfter = 8;

  IPlatform& platform_;  // not owned
  std::unordered_map<std::string, Folder> folders_;  // by NameKey of the whole folder path
};

}  // namespace kestrun
