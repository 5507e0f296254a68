// What an entry runs: commands split and searched as CreateProcess and the hosts do, links read.
#include "store/EntryTarget.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "base/Text.h"
#include "store/HostedCommand.h"
#include "store/ShortcutTarget.h"
#include "store/platform/Registry.h"

namespace kestrun {
namespace {

constexpr std::uint64_t kLinkHeaderSize = 0x4C;
constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr int kMaxHosts = 3;  // cmd /c start cmd /c ...: deeper than any real entry goes

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimLeft(const std::string& text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

bool HasFolderPart(const std::string& name) { return name.find_first_of("\\/:") != std::string::npos; }

// "C:\..." or "\\server\...": the only paths that mean the same file from any current folder.
bool IsAbsolute(const std::string& name) {
  if (name.size() >= 3 && name[1] == ':' && (name[2] == '\\' || name[2] == '/')) return true;
  return name.size() >= 2 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/');
}

bool HasExtension(const std::string& name) {
  const size_t part = name.find_last_of("\\/:");
  return name.find('.', part == std::string::npos ? 0 : part + 1) != std::string::npos;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i]) return false;
  return true;
}

std::string Unquoted(std::string text) {
  text = TrimLeft(text);
  if (!text.empty() && text.front() == '"') {
    const size_t close = text.find('"', 1);
    return text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder + (folder.back() == '\\' ? "" : "\\") + name;
}

std::vector<std::string> AbsoluteFolders(const std::string& list) {
  std::vector<std::string> folders;
  for (size_t start = 0; start <= list.size();) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string folder = Unquoted(list.substr(start, end - start));
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (IsAbsolute(folder)) folders.push_back(folder);  // "." or a relative folder: the current one
    start = end + 1;
  }
  return folders;
}

std::vector<std::string> Extensions(const std::string& pathExt) {
  std::vector<std::string> extensions;
  std::string list = pathExt.find('%') == std::string::npos ? pathExt : ".com;.exe;.bat;.cmd";
  std::transform(list.begin(), list.end(), list.begin(), [](unsigned char c) { return std::tolower(c); });
  for (size_t start = 0; start < list.size();) {
    const size_t end = std::min(list.find(';', start), list.size());
    if (end - start > 1 && list[start] == '.') extensions.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return extensions;
}

// A literal path ("\\?\...") whose short form would be read the same: no part CreateProcess would
// change, no "/" (a literal one is no separator).
bool ReadsTheSame(const std::string& path) {
  if (path.find('/') != std::string::npos) return false;
  for (size_t start = 0; start <= path.size();) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string part = path.substr(start, end - start);
    if ((start > 0 && part.empty()) || part == "." || part == ".." || (!part.empty() && IsBlank(part.back())) ||
        (!part.empty() && part.back() == '.'))
      return false;
    start = end + 1;
  }
  return true;
}

// The file CreateProcess opens for a full path: the last part without its trailing dots and blanks;
// a literal "\\?\" path as it stands (in its short form where that reads the same).
std::string AsStarted(const std::string& path) {
  if (path.rfind("\\\\?\\", 0) == 0) {
    const std::string rest = path.rfind("\\\\?\\UNC\\", 0) == 0 ? "\\" + path.substr(7) : path.substr(4);
    return IsAbsolute(rest) && ReadsTheSame(rest) ? rest : path;
  }
  const size_t part = path.find_last_of("\\/") + 1;
  size_t end = path.size();
  while (end > part && (path[end - 1] == '.' || IsBlank(path[end - 1]))) --end;
  const std::string last = path.substr(part);
  return end == part || last == "." || last == ".." ? path : path.substr(0, end);
}

}  // namespace

std::vector<std::string> TargetWarnings(const EntryTarget& target) {
  std::vector<std::string> warnings;
  if (target.unquotedPath) warnings.emplace_back("unquoted-path");
  if (!target.exists) warnings.emplace_back("target-missing");
  return warnings;
}

TargetResolver::TargetResolver(IPlatform& platform) : platform_(platform), files_(platform) {
  const std::string windows = platform_.ExpandEnvironment("%SystemRoot%");
  if (IsAbsolute(windows)) {
    windows_ = windows;
    searchFolders_ = {windows, Joined(windows, "System32")};
  }
  const std::string path = platform_.ExpandEnvironment("%PATH%");
  if (path != "%PATH%") pathFolders_ = AbsoluteFolders(path);
  searchFolders_.insert(searchFolders_.end(), pathFolders_.begin(), pathFolders_.end());
  extensions_ = Extensions(platform_.ExpandEnvironment("%PATHEXT%"));
}

bool TargetResolver::MayHaveAppPath(HKEY root, const std::string& name) {
  AppPathKeys& keys = appPathKeys_[root == HKEY_LOCAL_MACHINE];
  if (!keys.asked) {
    keys.asked = true;
    UniqueKey key;
    std::vector<std::string> names;
    const std::string path(kAppPaths, std::strlen(kAppPaths) - 1);  // without its closing backslash
    const ErrorCode rc = platform_.OpenKey(root, RegistryView::Native, path, false, KeyAccess::Read, key);
    // No key at all lists nothing; a key that cannot be listed leaves every name to be asked.
    keys.listed = rc == ERROR_FILE_NOT_FOUND ||
                  (rc == ERROR_SUCCESS && platform_.EnumSubKeys(key.Get(), names) == ERROR_SUCCESS);
    for (const std::string& subkey : names) keys.names.Add(subkey, 0);
  }
  return !keys.listed || keys.names.Find(name).has_value();
}

std::string TargetResolver::AppPath(HKEY root, const std::string& name) {
  if (!MayHaveAppPath(root, name)) return {};
  UniqueKey key;
  if (platform_.OpenKey(root, RegistryView::Native, kAppPaths + name, false, KeyAccess::Read, key) != ERROR_SUCCESS)
    return {};
  RegValue value;
  if (platform_.QueryValue(key.Get(), "", value) != ERROR_SUCCESS ||
      (value.type != REG_SZ && value.type != REG_EXPAND_SZ))
    return {};
  const std::string file = Unquoted(platform_.ExpandEnvironment(DecodeStringValue(value)));
  return IsAbsolute(file) && files_.FileExists(file) ? file : std::string();
}

// The first folder holding name, or (withExtensions, a name without one) name with one of PATHEXT's
// extensions, each tried in a folder before the next folder.
std::string TargetResolver::FindIn(const std::vector<std::string>& folders, const std::string& name,
                                   bool withExtensions) {
  const bool extend = withExtensions && !HasExtension(name);
  for (const std::string& folder : folders)
    for (size_t i = 0; i < (extend ? extensions_.size() : 1); ++i) {
      const std::string file = AsStarted(Joined(folder, extend ? name + extensions_[i] : name));
      if (files_.FileExists(file)) return file;
    }
  return {};
}

std::string TargetResolver::SearchBareName(const std::string& name) {
  if (std::string file = FindIn(searchFolders_, name, false); !file.empty()) return file;
  const auto known = appPaths_.find(name);
  if (known != appPaths_.end()) return known->second;
  std::string& found = appPaths_[name];
  for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    if (found.empty()) found = AppPath(root, name);
  return found;
}

std::string TargetResolver::Locate(const std::string& name) {
  if (name.empty() || name.size() > 32767) return {};
  const std::string file = HasExtension(name) ? name : name + ".exe";
  if (IsAbsolute(file)) {
    const std::string started = AsStarted(file);
    return files_.FileExists(started) ? started : std::string();
  }
  return HasFolderPart(file) ? std::string() : SearchBareName(file);
}

// LoadLibrary's order for rundll32: its own folder, System32, Windows, the PATH (the current folder,
// which comes before the PATH, is not the resolver's to know).
std::string TargetResolver::LocateLibrary(const std::string& name, const std::string& hostFolder) {
  const std::string file = HasExtension(name) ? name : name + ".dll";
  if (IsAbsolute(file)) {
    const size_t slash = file.find_last_of("\\/");
    return FindIn({file.substr(0, slash)}, file.substr(slash + 1), false);
  }
  std::vector<std::string> folders = {hostFolder};
  if (!windows_.empty()) folders.insert(folders.end(), {Joined(windows_, "System32"), windows_});
  folders.insert(folders.end(), pathFolders_.begin(), pathFolders_.end());
  return FindIn(folders, file, false);
}

// cmd's order: the PATH, each folder with PATHEXT's extensions; then, for start, App Paths.
std::string TargetResolver::LocateCommand(const std::string& name, bool appPaths) {
  if (IsAbsolute(name)) {
    const size_t slash = name.find_last_of("\\/");
    return FindIn({name.substr(0, slash)}, name.substr(slash + 1), true);
  }
  std::string file = FindIn(pathFolders_, name, true);
  return file.empty() && appPaths ? SearchBareName(HasExtension(name) ? name : name + ".exe") : file;
}

// Whether an unquoted command goes on as a path through an existing folder after its program ends
// at end: the blank there lies inside the folder's name, and the program is a hijack of the path.
bool TargetResolver::PathGoesOn(const std::string& text, size_t end) {
  if (!IsAbsolute(text)) return false;
  const size_t slash = text.find_first_of("\\/", end);
  if (slash == std::string::npos) return false;
  const std::string folder = text.substr(0, slash);
  // No folder name holds these: spare the machine the question ("x.exe C:\file" as an argument).
  return folder.find_first_of(":*?\"<>|", 2) == std::string::npos && files_.FolderExists(folder);
}

EntryTarget TargetResolver::ProgramOf(const std::string& command) {
  const std::string text = TrimLeft(command);
  EntryTarget target;
  if (text.empty()) return target;
  if (text.front() == '"') {
    const size_t close = text.find('"', 1);
    target.executable = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    target.arguments = close == std::string::npos ? std::string() : TrimLeft(text.substr(close + 1));
    const std::string found = Locate(target.executable);
    target.exists = !found.empty();
    if (target.exists) target.executable = found;
    return target;
  }
  // Every end of a word, shortest first, as CreateProcess tries them.
  std::vector<size_t> ends;
  for (size_t i = 1; i <= text.size(); ++i)
    if ((i == text.size() || IsBlank(text[i])) && !IsBlank(text[i - 1])) ends.push_back(i);
  for (size_t i = 0; i < ends.size(); ++i) {
    const std::string found = Locate(text.substr(0, ends[i]));
    if (found.empty()) continue;
    // A blank inside the program, a path going on through an existing folder ("C:\Program.exe" for
    // "C:\Program Files\..."), or a longer name that exists too ("C:\Ktools\my.exe" started for
    // "C:\Ktools\my app.exe"): either way the quotes are missing.
    bool unquoted = i > 0 || PathGoesOn(text, ends[i]);
    for (size_t longer = i + 1; longer < ends.size() && !unquoted; ++longer)
      unquoted = IsAbsolute(text) && !Locate(text.substr(0, ends[longer])).empty();
    return {found, TrimLeft(text.substr(ends[i])), true, unquoted};
  }
  // Nothing exists: the program as written, up to the first word with an extension, else the first word.
  size_t end = ends.front();
  for (const size_t candidate : ends)
    if (HasExtension(text.substr(0, candidate))) {
      end = candidate;
      break;
    }
  return {text.substr(0, end), TrimLeft(text.substr(end)), false, end != ends.front()};
}

bool TargetResolver::IsSystemProgram(const std::string& path, const char* name) const {
  return !windows_.empty() && (SameName(path, Joined(windows_, "System32\\") + name) ||
                               SameName(path, Joined(windows_, "SysWOW64\\") + name));
}

EntryTarget TargetResolver::WhatHostRuns(EntryTarget host, int depth) {
  std::optional<HostedCommand> inner;
  if (!host.exists || depth >= kMaxHosts) return host;
  if (IsSystemProgram(host.executable, "rundll32.exe"))
    inner = Rundll32Command(host.arguments);
  else if (IsSystemProgram(host.executable, "cmd.exe"))
    inner = CmdCommand(host.arguments, [this](const std::string& name) { return !LocateCommand(name, false).empty(); });
  // A relative path with a folder part depends on the current folder: the host is all that is sure.
  if (!inner || inner->program.size() > 32767 || (!IsAbsolute(inner->program) && HasFolderPart(inner->program)))
    return host;
  const bool library = inner->search == HostedCommand::Search::Library;
  const std::string found =
      library ? LocateLibrary(inner->program, host.executable.substr(0, host.executable.find_last_of('\\')))
              : LocateCommand(inner->program, inner->search == HostedCommand::Search::Start);
  EntryTarget target{found.empty() ? inner->program : found, inner->arguments, !found.empty(), false};
  // cmd ends an unquoted program at its first blank, wherever the path was meant to go on. A host
  // open to a hijack stays so, whatever it runs.
  const std::string command = inner->program + " " + inner->arguments;
  target.unquotedPath = host.unquotedPath || (!library && !inner->quoted && PathGoesOn(command, inner->program.size()));
  return WhatHostRuns(std::move(target), depth + 1);
}

EntryTarget TargetResolver::ResolveCommand(const std::string& command) {
  return WhatHostRuns(ProgramOf(command), 0);
}

// The first of the places a link names its target that holds a file, in the order the shell
// prefers them; else the first it names at all.
std::string TargetResolver::TargetOf(const LinkData& link, const std::string& folder) {
  const std::string environment =
      link.environmentPath.empty() ? std::string() : platform_.ExpandEnvironment(link.environmentPath);
  std::string first;
  for (const std::string* path : {&environment, &link.itemListPath, &link.infoPath, &link.relativePath}) {
    if (path->empty() || (path != &link.relativePath && !IsAbsolute(*path))) continue;
    const std::string candidate = AsStarted(LinkPathFrom(folder, *path));
    if (candidate.empty()) continue;
    if (files_.FileExists(candidate)) return candidate;
    if (first.empty()) first = candidate;
  }
  return first;
}

// What the link's own bytes say; the shell's reading of what they cannot say exactly.
std::string TargetResolver::LinkTarget(const std::string& link, std::uint64_t size, std::string& arguments) {
  const size_t slash = link.find_last_of('\\');
  const std::string folder = link.substr(0, slash == std::string::npos ? 0 : slash);
  std::string bytes;
  std::optional<LinkData> data;
  if (size <= kMaxLinkBytes && platform_.ReadLinkFile(link, kMaxLinkBytes, bytes) == ERROR_SUCCESS)
    data = ReadLinkData(bytes);
  const std::string target = data ? TargetOf(*data, folder) : std::string();
  if (data) arguments = data->arguments;
  if (!target.empty() && data->argumentsExact) return target;
  std::string shellTarget, shellArguments;
  if (FAILED(platform_.ReadShellLink(link, shellTarget, shellArguments))) return target;
  if (!data || !data->argumentsExact) arguments = shellArguments;
  return target.empty() && !shellTarget.empty() ? AsStarted(LinkPathFrom(folder, shellTarget)) : target;
}

EntryTarget TargetResolver::ResolveFile(const std::string& path) {
  EntryTarget target{path, {}, false, false};
  std::uint64_t size = 0;
  const bool exists = files_.FileExists(path, &size);
  if (!EndsWithNoCase(path, ".lnk")) {
    target.exists = exists;
    return target;
  }
  // Shorter than a link's header: no link, and no need to read it. Longer than any link: the shell's.
  if (!exists || size < kLinkHeaderSize) return target;
  const std::string linkTarget = LinkTarget(path, size, target.arguments);
  if (linkTarget.empty()) return target;
  return WhatHostRuns({linkTarget, target.arguments, files_.FileExists(linkTarget), false}, 0);
}

void TargetResolver::Forget() {
  files_.Clear();
  appPaths_.clear();
  for (AppPathKeys& keys : appPathKeys_) keys = {};
}

EntryTarget TargetResolver::Resolve(const StartupRow& row) {
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location) return ResolveCommand(row.path);
  const EntryCommand command = KindOf(*location).Command(*location, row);
  if (command.form == EntryCommand::Form::File) return ResolveFile(command.text);
  return ResolveCommand(command.text.find('%') == std::string::npos ? command.text
                                                                    : platform_.ExpandEnvironment(command.text));
}

}  // namespace kestrun
