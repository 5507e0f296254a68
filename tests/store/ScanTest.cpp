// The scan against the prefix's real registry and folders: order, records, values, folders.
#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

constexpr DWORD kHiddenFolder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN;

using ScanTest = StartupPrefixTest;

TEST_F(ScanTest, ListsEveryPlaceInOrderWithTheirMarksAndRecordsButNoHiddenFilesOrFolders) {
  // Seeded in reverse, so that order of creation cannot explain the result.
  SetString(kMachine, VersionKey("RunOnce-"), "o2", "c:\\o2.exe");
  SetString(kMachine, VersionKey("RunOnce"), "o1", "c:\\o1.exe");
  SetString(kUser, VersionKey("RunOnce-"), "u2", "c:\\u2.exe");
  SetString(kUser, VersionKey("RunOnce"), "u1", "c:\\u1.exe");
  SetString(kMachine, Version32Key("Run-"), "w2", "c:\\w2.exe");
  SetString(kMachine, Version32Key("Run"), "w1", "c:\\w1.exe");
  MakeFolder(commonDisabled);
  MakeFolder(userDisabled);
  MakeFile(commonDisabled + "\\p12.lnk");
  MakeFile(userDisabled + "\\p11.lnk", FILE_ATTRIBUTE_READONLY);
  MakeFile(userDisabled + "\\hidden.lnk", FILE_ATTRIBUTE_HIDDEN);
  SetString(kMachine, VersionKey("RunServices-"), "p10", "c:\\10.exe");
  SetString(kUser, VersionKey("RunServices-"), "p09", "c:\\09.exe");
  SetString(kMachine, VersionKey("Run-"), "p08", "c:\\08.exe");
  SetString(kUser, VersionKey("Run-"), "p07", "c:\\07.exe");
  MakeFile(commonStartup + "\\p06.exe", FILE_ATTRIBUTE_SYSTEM);
  MakeFile(userStartup + "\\p05.lnk");
  MakeFile(userStartup + "\\hidden.lnk", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  MakeFolder(userStartup + "\\sub folder");
  SetString(kMachine, VersionKey("RunServices"), "p04", "c:\\04.exe");
  SetString(kUser, VersionKey("RunServices"), "p03", "c:\\03.exe");
  SetString(kMachine, VersionKey("Run"), "p02", "c:\\02.exe");
  SetString(kUser, VersionKey("Run"), "p01", "c:\\01.exe");

  EXPECT_THAT(Flatten(Scan()),
              ElementsAre(Row{"p01", "c:\\01.exe", true, 1, 1}, Row{"p02", "c:\\02.exe", true, 1, 16},
                          Row{"p03", "c:\\03.exe", true, 1, 2}, Row{"p04", "c:\\04.exe", true, 1, 32},
                          Row{"p05.lnk", userStartup + "\\p05.lnk", true, 1, 4},
                          Row{"p06.exe", commonStartup + "\\p06.exe", true, 1, 8},
                          Row{"p07", "c:\\07.exe", false, 0, 1}, Row{"p08", "c:\\08.exe", false, 0, 16},
                          Row{"p09", "c:\\09.exe", false, 0, 2}, Row{"p10", "c:\\10.exe", false, 0, 32},
                          Row{"p11.lnk", userDisabled + "\\p11.lnk", false, 0, 4},
                          Row{"p12.lnk", commonDisabled + "\\p12.lnk", false, 0, 8},
                          // The later places follow, each live place with its parked one.
                          Row{"w1", "c:\\w1.exe", true, 1, 64}, Row{"w2", "c:\\w2.exe", false, 0, 64},
                          Row{"u1", "c:\\u1.exe", true, 1, 128}, Row{"u2", "c:\\u2.exe", false, 0, 128},
                          Row{"o1", "c:\\o1.exe", true, 1, 256}, Row{"o2", "c:\\o2.exe", false, 0, 256}));
  EXPECT_THAT(report.reports, IsEmpty());

  // Read side by side, the places list the same rows and say the same, in the same order.
  const std::string package = "C:\\kestrun-scan-package", tasks = "C:\\windows\\system32\\tasks\\Kestrun Scan";
  AddPackage(package, "Broken_1_x64__p", "<Package");
  MakeFolder(tasks);
  MakeFile(tasks + "\\Broken", FILE_ATTRIBUTE_NORMAL, "<Task><Triggers>");
  const std::vector<Row> listed = Flatten(Scan());
  ASSERT_EQ(report.reports.size(), 2u);
  Win32Platform machine(8);
  RecordingReport said;
  StartupStore sideBySide(machine, said);
  StartupRows rows;
  sideBySide.LoadStartupList(rows);
  EXPECT_EQ(Flatten(rows), listed);
  EXPECT_EQ(said.reports, report.reports);
  RemoveTree(package);
  RemoveTree(tasks);
}

TEST_F(ScanTest, MissingDisabledFoldersAreMadeHiddenAndExistingOnesUsedAsTheyAre) {
  MakeFolder(userDisabled);  // visible, unlike one the scan makes
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_EQ(Attributes(userDisabled) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Attributes(commonDisabled) & kHiddenFolder, kHiddenFolder);
  EXPECT_EQ(platform.Calls(Op::CreateFolder, userDisabled), 0);

  RemoveTree(userDisabled);
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_EQ(Attributes(userDisabled) & kHiddenFolder, kHiddenFolder);
  EXPECT_EQ(platform.Calls(Op::CreateFolder), 2);  // the common one, once there, is not made again
  EXPECT_THAT(report.reports, IsEmpty());
  // The scan never creates a "-" key.
  EXPECT_EQ(ValueCount(kUser, VersionKey("Run-")), -1);
  EXPECT_EQ(ValueCount(kMachine, VersionKey("RunServices-")), -1);
}

TEST_F(ScanTest, FileInTheWayOfTheDisabledFolderIsReportedOnceAndTheScanGoesOn) {
  MakeFile(userDisabled);
  MakeFolder(commonDisabled);
  MakeFile(commonDisabled + "\\later.lnk");

  const StartupRows rows = Scan();
  EXPECT_THAT(report.reports, ElementsAre(ReportedError{ERROR_DIRECTORY, userDisabled}));
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{"later.lnk", commonDisabled + "\\later.lnk", false, 0, 8}));
  EXPECT_EQ(Attributes(userDisabled) & FILE_ATTRIBUTE_DIRECTORY, 0u);  // left as it was
  Scan();
  EXPECT_EQ(report.reports.size(), 2u);  // nothing changed, so every scan reports it again
}

TEST_F(ScanTest, MissingOrEmptyShellFolderValueSkipsThePlaceAndKeepsTheLastPaths) {
  MakeFile(userStartup + "\\u.lnk");
  MakeFile(commonStartup + "\\c.lnk");
  Scan();
  const StartupFolders before = store.Folders();

  ASSERT_EQ(RegDeleteKeyValueA(kUser, kShellFolders, "Startup"), ERROR_SUCCESS);
  SetShellFolder(kMachine, "Common Startup", "");
  RemoveTree(userDisabled);
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_EQ(store.Folders().StartupDir, before.StartupDir);
  EXPECT_EQ(store.Folders().CommonStartupDir, before.CommonStartupDir);
  EXPECT_EQ(store.Folders().DisabledStartupDir, before.DisabledStartupDir);
  EXPECT_EQ(store.Folders().DisabledCommonStartupDir, before.DisabledCommonStartupDir);
  EXPECT_FALSE(Exists(userDisabled));  // a skipped place creates nothing
}

// A place that cannot be opened or read contributes nothing, silently, and the others still load.
struct UnreadablePlace {
  Op op;
  std::string match;
  int nth;
  std::vector<std::string> names;  // of the rows left
};

class UnreadablePlaceTest : public StartupPrefixTest, public ::testing::WithParamInterface<UnreadablePlace> {};

TEST_P(UnreadablePlaceTest, ContributesNothingAndTheScanGoesOn) {
  SetString(kUser, VersionKey("Run"), "u", "c:\\u.exe");
  SetString(kMachine, VersionKey("Run"), "m", "c:\\m.exe");
  MakeFile(userStartup + "\\u.lnk");
  MakeFile(commonStartup + "\\c.lnk");
  platform.Fail(GetParam().op, ERROR_ACCESS_DENIED, GetParam().match, GetParam().nth);
  std::vector<std::string> names;
  for (const StartupRow& row : Scan()) names.push_back(row.name);
  EXPECT_EQ(names, GetParam().names);
  EXPECT_THAT(report.reports, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EachWay, UnreadablePlaceTest,
    ::testing::Values(UnreadablePlace{Op::OpenKey, "HKLM\\", 0, {"u", "u.lnk"}},  // both machine-wide places
                      UnreadablePlace{Op::OpenKey, "Shell Folders", 0, {"u", "m"}},
                      UnreadablePlace{Op::ListFolder, "StartUp", 1, {"u", "m", "c.lnk"}},  // the user's folder
                      UnreadablePlace{Op::EnumValues, "", 1, {"m", "u.lnk", "c.lnk"}}));  // HKCU Run, the first

// A Startup value that is no text, or cannot be read, hides that place only, said once a scan.
TEST_F(ScanTest, StartupValueThatCannotBeReadHidesOnlyItsPlaceWithOneMessage) {
  SetString(kUser, VersionKey("Run"), "u", "c:\\u.exe");
  MakeFile(userStartup + "\\u.lnk");
  SetDword(kUser, kShellFolders, "Startup", 1);
  for (int round = 0; round < 2; ++round) {
    report.failures.clear();
    std::vector<std::string> names;
    for (const StartupRow& row : Scan()) names.push_back(row.name);
    EXPECT_EQ(std::count(names.begin(), names.end(), "u"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "u.lnk"), 0);
    ASSERT_EQ(report.failures.size(), round + 1u);  // the failing read matches "Common Startup" too
    EXPECT_NE(report.failures[0].find("Startup folder"), std::string::npos) << report.failures[0];
    SetShellFolder(kUser, "Startup", userStartup);
    platform.Fail(Op::QueryValue, ERROR_ACCESS_DENIED, "Startup");
  }
}

TEST(DisabledFolderOf, IsTheStartupFoldersSibling) {
  EXPECT_EQ(DisabledFolderOf("C:\\Menu\\StartUp"), "C:\\Menu\\Disabled Startup Items");
  // Shell Folders values as users leave them: a trailing backslash puts it inside, none in the
  // current directory.
  EXPECT_EQ(DisabledFolderOf("C:\\Menu\\StartUp\\"), "C:\\Menu\\StartUp\\Disabled Startup Items");
  EXPECT_EQ(DisabledFolderOf("StartUp"), "Disabled Startup Items");
}

}  // namespace
}  // namespace kestrun::test
