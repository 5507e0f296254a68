// Removing deletes the row's own value or file and nothing else.
#include <gmock/gmock.h>

#include <stdexcept>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const StartupRow& Find(const StartupRows& rows, const std::string& name, int location, int enabled) {
  for (const StartupRow& row : rows)
    if (row.name == name && row.record.GetLocation() == location && row.record.GetEnabled() == enabled)
      return row;
  throw std::runtime_error("no row " + name);
}

using RemoveTest = StartupPrefixTest;

TEST_F(RemoveTest, TouchesOnlyTheRowsOwnValue) {
  for (const char* key : {"Run", "Run-", "RunServices"}) {
    SetString(HKEY_CURRENT_USER, VersionKey(key), "Tool & Co", std::string("C:\\") + key);
    SetString(HKEY_LOCAL_MACHINE, VersionKey(key), "Tool & Co", std::string("C:\\") + key);
  }
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "", "C:\\default.exe");
  const StartupRows rows = Scan();
  ASSERT_EQ(rows.size(), 7u);

  store.RemoveEntry(Find(rows, "", slUserRun, 1));  // the default value is removed like any other
  EXPECT_THAT(RowsOf(Scan(), slUserRun, 1), ElementsAre(Row{"Tool & Co", "C:\\Run", true, 1, slUserRun}));
  store.RemoveEntry(Find(rows, "Tool & Co", slUserRun, 1));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, VersionKey("Run")), 0);
  EXPECT_EQ(Scan().size(), 5u);

  store.RemoveEntry(Find(rows, "Tool & Co", slMachineRun, 0));
  EXPECT_EQ(ValueCount(HKEY_LOCAL_MACHINE, VersionKey("Run-")), 0);  // the parking key stays, empty
  EXPECT_EQ(Scan().size(), 4u);
  // Gone already, even with its key: nothing to say.
  store.RemoveEntry(Find(rows, "Tool & Co", slMachineRun, 0));
  DeleteKey(HKEY_CURRENT_USER, VersionKey("Run"));
  store.RemoveEntry(Find(rows, "Tool & Co", slUserRun, 1));
  EXPECT_THAT(report.reports, IsEmpty());
}

TEST_F(RemoveTest, FolderEntriesDeleteTheFileAndReportAMissingOne) {
  MakeFile(userStartup + "\\live.lnk");
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\parked.lnk");
  const StartupRows rows = Scan();
  store.RemoveEntry(Find(rows, "parked.lnk", slUserStartupFolder, 0));
  EXPECT_FALSE(Exists(userDisabled + "\\parked.lnk"));
  EXPECT_TRUE(Exists(userDisabled));
  EXPECT_TRUE(Exists(userStartup + "\\live.lnk"));

  store.RemoveEntry(Find(rows, "parked.lnk", slUserStartupFolder, 0));  // gone already
  EXPECT_THAT(report.reports, ElementsAre(ReportedError{ERROR_FILE_NOT_FOUND, userDisabled + "\\parked.lnk"}));
}

// Another program rewrote the entry while the question was open: it is not what the user chose to delete.
TEST_F(RemoveTest, AnEntryRewrittenSinceTheScanIsLeftAlone) {
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Tool", "C:\\tool.exe");
  MakeFile(userStartup + "\\tool.lnk", FILE_ATTRIBUTE_NORMAL, "link");
  const StartupRows rows = Scan();
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Tool", "C:\\other.exe");
  MakeFile(userStartup + "\\tool.lnk", FILE_ATTRIBUTE_NORMAL, "another link");
  for (const StartupRow& row : rows) {
    Action action = store.Begin();
    EXPECT_FALSE(store.RemoveEntry(action, row)) << row.name;
  }
  EXPECT_THAT(report.failures, ElementsAre(HasSubstr("'Tool' was changed by another program since the list was read"),
                                           HasSubstr("'tool.lnk' was changed by another program")));
  EXPECT_THAT(RowsOf(Scan(), slUserRun, 1), ElementsAre(Row{"Tool", "C:\\other.exe", true, 1, slUserRun}));
  EXPECT_TRUE(Exists(userStartup + "\\tool.lnk"));
}

}  // namespace
}  // namespace kestrun::test
