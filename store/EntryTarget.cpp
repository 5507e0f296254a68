#include "store/EntryTarget.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "store/platform/Registry.h"

namespace kestrun {
namespace {

constexpr std::uint64_t kLinkHeaderSize = 0x4C;
constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

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
    searchFolders_.push_back(windows);
    searchFolders_.push_back(windows + "\\System32");
  }
  const std::string path = platform_.ExpandEnvironment("%PATH%");
  if (path == "%PATH%") return;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find(';', start);
    if (end == std::string::npos) end = path.size();
    std::string folder = Unquoted(path.substr(start, end - start));
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (IsAbsolute(folder)) searchFolders_.push_back(folder);  // "." or a relative folder: the current one
    start = end + 1;
  }
}

std::string TargetResolver::AppPath(HKEY root, const std::string& name) {
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

std::string TargetResolver::SearchBareName(const std::string& name) {
  for (const std::string& folder : searchFolders_) {
    const std::string file = folder + (folder.back() == '\\' ? "" : "\\") + name;
    if (files_.FileExists(file)) return file;
  }
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
  if (IsAbsolute(file)) return files_.FileExists(file) ? file : std::string();
  return HasFolderPart(file) ? std::string() : SearchBareName(file);
}

EntryTarget TargetResolver::ResolveCommand(const std::string& command) {
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
    // A blank inside the program, or a shorter name standing before a longer one that exists too
    // ("C:\Ktools\my.exe" started for "C:\Ktools\my app.exe"): either way the quotes are missing.
    bool shadows = false;
    for (size_t longer = i + 1; longer < ends.size() && !shadows; ++longer)
      shadows = IsAbsolute(text) && !Locate(text.substr(0, ends[longer])).empty();
    return {found, TrimLeft(text.substr(ends[i])), true, i > 0 || shadows};
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

EntryTarget TargetResolver::ResolveFile(const std::string& path) {
  EntryTarget target{path, {}, false, false};
  std::uint64_t size = 0;
  const bool exists = files_.FileExists(path, &size);
  if (!EndsWithNoCase(path, ".lnk")) {
    target.exists = exists;
    return target;
  }
  // Shorter than a link's header: no link, and no need to ask the shell (which costs far more).
  if (!exists || size < kLinkHeaderSize) return target;
  std::string linkTarget, arguments;
  if (FAILED(platform_.ReadShellLink(path, linkTarget, arguments)) || linkTarget.empty()) return target;
  return {linkTarget, arguments, files_.FileExists(linkTarget), false};
}

void TargetResolver::Forget() {
  files_.Clear();
  appPaths_.clear();
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
