#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

// Read once: a test may point Shell Folders elsewhere, and the next test must find the originals.
const std::string& Original(HKEY hive, const char* value) {
  static const std::string user = ShellFolder(HKEY_CURRENT_USER, "Startup");
  static const std::string common = ShellFolder(HKEY_LOCAL_MACHINE, "Common Startup");
  return hive == HKEY_CURRENT_USER && std::string(value) == "Startup" ? user : common;
}

std::string Sibling(const std::string& folder) {
  return folder.substr(0, folder.rfind('\\') + 1) + "Disabled Startup Items";
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << "{\"" << row.name << "\", \"" << row.path << "\", checked " << row.checked << ", enabled "
             << row.enabled << ", location " << row.location << "}";
}

std::vector<Row> Flatten(const TStartupRows& rows) {
  std::vector<Row> flat;
  for (const TStartupRow& row : rows)
    flat.push_back({row.Name, row.Path, row.Checked, row.Record.GetEnabled(), row.Record.GetLocation()});
  return flat;
}

std::vector<Row> RowsOf(const TStartupRows& rows, int location, int enabled) {
  std::vector<Row> flat;
  for (const Row& row : Flatten(rows))
    if (row.location == location && row.enabled == enabled) flat.push_back(row);
  return flat;
}

void StartupPrefixTest::SetUp() {
  userStartup = Original(HKEY_CURRENT_USER, "Startup");
  commonStartup = Original(HKEY_LOCAL_MACHINE, "Common Startup");
  ASSERT_FALSE(userStartup.empty());
  ASSERT_FALSE(commonStartup.empty());
  userDisabled = Sibling(userStartup);
  commonDisabled = Sibling(commonStartup);
  Clean();
}

void StartupPrefixTest::TearDown() {
  SetShellFolder(HKEY_CURRENT_USER, "Startup", userStartup);
  SetShellFolder(HKEY_LOCAL_MACHINE, "Common Startup", commonStartup);
  Clean();
}

void StartupPrefixTest::Clean() {
  DeleteStartupKeys();
  MakeFolder(userStartup);
  MakeFolder(commonStartup);
  EmptyFolder(userStartup);
  EmptyFolder(commonStartup);
  RemoveTree(userDisabled);
  RemoveTree(commonDisabled);
}

TStartupRows StartupPrefixTest::Scan() {
  TStartupRows rows;
  store.LoadStartupList(rows);
  return rows;
}

}  // namespace kestrun::test
