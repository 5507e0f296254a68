#pragma once
// What an entry really runs: its command split and searched as Windows does when it starts the entry
// at log-on, never depending on the current folder.
#include <map>
#include <string>
#include <vector>

#include "base/Text.h"
#include "store/ShortcutTarget.h"
#include "store/StartupStore.h"
#include "store/platform/FolderCache.h"

namespace kestrun {

struct EntryTarget {
  std::string executable;  // the file started (a shortcut's target, a host's program); when none is found, as written
  std::string arguments;
  bool exists = false;        // executable names an existing file (not a folder)
  // Unquoted, with a blank or tab before the end of its executable, or before the end of a longer
  // path that exists too (a file, or a folder the command goes on into): another program could be
  // (or is) started in its place.
  bool unquotedPath = false;
  bool operator==(const EntryTarget&) const = default;
};

// "unquoted-path" and "target-missing", in that order, as they apply.
std::vector<std::string> TargetWarnings(const EntryTarget& target);

// Resolves commands as the log-on start does: %VAR% expanded in every Run value (the start expands
// both string types); a quoted program taken as quoted; an unquoted one tried at each blank or tab,
// shortest first, ".exe" added to a name without an extension, the first existing file winning; a
// bare name searched in the Windows folder, System32, the PATH folders, then App Paths (HKCU, HKLM).
// A full path is taken as CreateProcess takes it: the last part's trailing dots and blanks dropped, a
// "\\?\" path literally. A relative path with a folder part resolves to nothing: it would depend on
// the current folder. The system's rundll32 and cmd are judged by what they run (HostedCommand.h).
// What the files and App Paths hold is learnt once (a folder at a time) and kept: one resolver per run,
// or Forget before the next.
class TargetResolver {
 public:
  explicit TargetResolver(IPlatform& platform);

  EntryTarget Resolve(const StartupRow& row);
  EntryTarget ResolveCommand(const std::string& command);
  // A shortcut's target and arguments, from the link's own bytes (the shell's reading where they name
  // no target); anything else in a Startup folder runs itself.
  EntryTarget ResolveFile(const std::string& path);
  // The machine may have changed since: ask it again.
  void Forget();

 private:
  EntryTarget ProgramOf(const std::string& command);
  EntryTarget WhatHostRuns(EntryTarget host, int depth);
  std::string LinkTarget(const std::string& link, std::uint64_t size, std::string& arguments);
  std::string TargetOf(const LinkData& link, const std::string& folder);
  // The file a program name names, "" when none exists.
  std::string Locate(const std::string& name);
  std::string LocateLibrary(const std::string& name, const std::string& hostFolder);
  std::string LocateCommand(const std::string& name, bool appPaths);
  std::string FindIn(const std::vector<std::string>& folders, const std::string& name, bool withExtensions);
  std::string SearchBareName(const std::string& name);
  std::string AppPath(HKEY root, const std::string& name);
  bool MayHaveAppPath(HKEY root, const std::string& name);
  bool PathGoesOn(const std::string& text, size_t end);
  bool IsSystemProgram(const std::string& path, const char* name) const;

  IPlatform& platform_;  // not owned
  FolderCache files_;
  std::map<std::string, std::string> appPaths_;  // by name as written
  // Each hive's App Paths subkeys, listed once: a name that is none of them is not asked for.
  struct AppPathKeys {
    bool asked = false;
    bool listed = false;  // false: the listing failed, and every name is asked
    NameIndex names;
  };
  AppPathKeys appPathKeys_[2];  // HKCU, HKLM
  std::string windows_;                          // "" when the system names none
  std::vector<std::string> searchFolders_, pathFolders_;
  std::vector<std::string> extensions_;  // PATHEXT's, lower case
};

}  // namespace kestrun
