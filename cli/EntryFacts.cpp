#include "cli/EntryFacts.h"

namespace kestrun::cli {
namespace {

std::string TrimLeft(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : text.substr(start);
}

}  // namespace

SplitCommandLine SplitCommand(IPlatform& platform, const std::string& command) {
  const std::string text = TrimLeft(command);
  if (text.empty()) return {};
  if (text.front() == '"') {
    const size_t close = text.find('"', 1);
    if (close == std::string::npos) return {text.substr(1), {}};
    return {text.substr(1, close - 1), TrimLeft(text.substr(close + 1))};
  }
  // The ends of the words, longest run first: "C:\Program Files\App\app.exe -q" finds the program.
  std::vector<size_t> ends;
  for (size_t i = 0; i <= text.size(); ++i)
    if ((i == text.size() || text[i] == ' ') && i > 0 && text[i - 1] != ' ') ends.push_back(i);
  for (auto end = ends.rbegin(); end != ends.rend(); ++end)
    if (platform.FileExists(text.substr(0, *end))) return {text.substr(0, *end), TrimLeft(text.substr(*end))};
  return {text.substr(0, ends.front()), TrimLeft(text.substr(ends.front()))};
}

EntryFacts FactsOf(IPlatform& platform, const StartupRow& row) {
  EntryFacts facts;
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location) return facts;
  facts.scope = location->hive == HKEY_LOCAL_MACHINE ? "machine" : "user";
  facts.command = row.path;
  if (location->isFolder) {
    const size_t slash = row.path.rfind('\\');
    facts.source = slash == std::string::npos ? std::string() : row.path.substr(0, slash);
    facts.valueType = "file";
    facts.executable = row.path;
    facts.targetExists = platform.FileExists(row.path);
    return facts;
  }
  facts.source = RegistryPlace(location->hive, row.record.GetEnabled() ? location->liveKey : location->disabledKey);
  // As scanned: a value that reads as a string is expandable or else plain.
  const DWORD type = row.scanned.type == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ;
  facts.valueType = RegistryTypeName(type);
  // Expanded for the split only: the command stays as stored.
  const std::string text = type == REG_EXPAND_SZ ? platform.ExpandEnvironment(row.path) : row.path;
  const SplitCommandLine split = SplitCommand(platform, text);
  facts.executable = split.executable;
  facts.arguments = split.arguments;
  facts.targetExists = !split.executable.empty() && platform.FileExists(split.executable);
  return facts;
}

}  // namespace kestrun::cli
