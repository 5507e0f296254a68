#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

std::string Sibling(const std::string& folder) {
  return folder.substr(0, folder.rfind('\\') + 1) + "Disabled Startup Items";
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << "{\"" << row.name << "\", \"" << row.path << "\", checked " << row.checked << ", enabled "
             << row.enabled << ", location " << row.location << "}";
}

std::vector<Row> Flatten(const StartupRows& rows) {
  std::vector<Row> flat;
  for (const StartupRow& row : rows)
    flat.push_back({row.name, row.path, row.checked, row.record.GetEnabled(), row.record.GetLocation()});
  return flat;
}

std::vector<Row> RowsOf(const StartupRows& rows, int location, int enabled) {
  std::vector<Row> flat;
  for (const Row& row : Flatten(rows))
    if (row.location == location && row.enabled == enabled) flat.push_back(row);
  return flat;
}

std::string RegistryErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegistryError& error) {
    return error.what();
  }
  return "no error";
}

void StartupPrefixTest::SetUp() {
  // Every TearDown puts back what the test may have pointed elsewhere.
  userStartup = ShellFolder(HKEY_CURRENT_USER, "Startup");
  commonStartup = ShellFolder(HKEY_LOCAL_MACHINE, "Common Startup");
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
  DeleteKey(HKEY_CURRENT_USER, "Software\\Kestrun test");  // where registry-object tests write
  for (const std::string& folder : {userStartup, commonStartup}) {
    MakeFolder(folder);
    EmptyFolder(folder);
  }
  RemoveTree(userDisabled);
  RemoveTree(commonDisabled);
}

StartupRows StartupPrefixTest::Scan() {
  StartupRows rows;
  store.LoadStartupList(rows);
  return rows;
}

}  // namespace kestrun::test
