// Removing deletes the row's own value or file and nothing else.
#include <fstream>

#include "store/StartupShortcut.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

class RemoveTest : public StartupPrefixTest {
 protected:
  const TStartupRow& Find(const TStartupRows& rows, int location, int enabled) {
    for (const TStartupRow& row : rows)
      if (row.Record.GetLocation() == location && row.Record.GetEnabled() == enabled) return row;
    throw std::runtime_error("no such row");
  }
};

TEST_F(RemoveTest, TouchesOnlyTheRowsOwnValue) {
  for (const char* key : {"Run", "Run-", "RunServices"}) {
    SetString(HKEY_CURRENT_USER, VersionKey(key), "Tool & Co", std::string("C:\\") + key);
    SetString(HKEY_LOCAL_MACHINE, VersionKey(key), "Tool & Co", std::string("C:\\") + key);
  }
  const TStartupRows rows = Scan();
  ASSERT_EQ(rows.size(), 6u);
  store.RemoveEntry(Find(rows, slUserRun, 1));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, VersionKey("Run")), 0);
  EXPECT_EQ(Scan().size(), 5u);

  store.RemoveEntry(Find(rows, slMachineRun, 0));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, VersionKey("Run-")));  // the parking key stays, empty
  EXPECT_EQ(ValueCount(HKEY_LOCAL_MACHINE, VersionKey("Run-")), 0);
  EXPECT_EQ(Scan().size(), 4u);
  EXPECT_TRUE(report.reports.empty());
}

TEST_F(RemoveTest, DefaultValueIsRemovedLikeAnyOther) {
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "", "C:\\default.exe");
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Other", "C:\\other.exe");
  store.RemoveEntry(Scan().at(0));
  EXPECT_EQ(Flatten(Scan()), (std::vector<Row>{{"Other", "C:\\other.exe", true, 1, slUserRun}}));
}

TEST_F(RemoveTest, FolderEntriesDeleteTheFileAndReportAMissingOne) {
  MakeFile(userStartup + "\\live.lnk");
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\parked.lnk");
  const TStartupRows rows = Scan();
  store.RemoveEntry(Find(rows, slUserStartupFolder, 0));
  EXPECT_FALSE(Exists(userDisabled + "\\parked.lnk"));
  EXPECT_TRUE(Exists(userDisabled));
  EXPECT_TRUE(Exists(userStartup + "\\live.lnk"));

  store.RemoveEntry(Find(rows, slUserStartupFolder, 0));  // gone already
  EXPECT_EQ(report.reports,
            (std::vector<ReportedError>{{ERROR_FILE_NOT_FOUND, userDisabled + "\\parked.lnk"}}));
}

TEST_F(RemoveTest, ValueGoneSinceTheScanIsSilent) {
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Tool", "C:\\t.exe");
  const TStartupRows rows = Scan();
  DeleteKey(HKEY_CURRENT_USER, VersionKey("Run"));
  store.RemoveEntry(rows.at(0));
  EXPECT_TRUE(report.reports.empty());
}

TEST(RemoveQuestionText, NameStandsOnItsOwnLine) {
  EXPECT_EQ(RemoveQuestion("Tom & Jerry"), "\nDo you really want to delete \nTom & Jerry from Startup?");
  EXPECT_EQ(RemoveQuestion(""), "\nDo you really want to delete \n from Startup?");
}

}  // namespace
}  // namespace kestrun::test
