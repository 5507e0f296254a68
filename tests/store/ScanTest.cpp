// The scan against the prefix's real registry and folders: order, records, values, folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;

using ScanTest = StartupPrefixTest;

TEST_F(ScanTest, ListsTheTwelvePlacesInOrderWithTheirMarksAndRecords) {
  // Seeded in reverse, so that order of creation cannot explain the result.
  MakeFolder(commonDisabled);
  MakeFolder(userDisabled);
  MakeFile(commonDisabled + "\\p12.lnk");
  MakeFile(userDisabled + "\\p11.lnk");
  SetString(kMachine, VersionKey("RunServices-"), "p10", "c:\\10.exe");
  SetString(kUser, VersionKey("RunServices-"), "p09", "c:\\09.exe");
  SetString(kMachine, VersionKey("Run-"), "p08", "c:\\08.exe");
  SetString(kUser, VersionKey("Run-"), "p07", "c:\\07.exe");
  MakeFile(commonStartup + "\\p06.lnk");
  MakeFile(userStartup + "\\p05.lnk");
  SetString(kMachine, VersionKey("RunServices"), "p04", "c:\\04.exe");
  SetString(kUser, VersionKey("RunServices"), "p03", "c:\\03.exe");
  SetString(kMachine, VersionKey("Run"), "p02", "c:\\02.exe");
  SetString(kUser, VersionKey("Run"), "p01", "c:\\01.exe");

  EXPECT_THAT(Flatten(Scan()),
              ElementsAre(Row{"p01", "c:\\01.exe", true, 1, 1}, Row{"p02", "c:\\02.exe", true, 1, 16},
                          Row{"p03", "c:\\03.exe", true, 1, 2}, Row{"p04", "c:\\04.exe", true, 1, 32},
                          Row{"p05.lnk", userStartup + "\\p05.lnk", true, 1, 4},
                          Row{"p06.lnk", commonStartup + "\\p06.lnk", true, 1, 8},
                          Row{"p07", "c:\\07.exe", false, 0, 1}, Row{"p08", "c:\\08.exe", false, 0, 16},
                          Row{"p09", "c:\\09.exe", false, 0, 2}, Row{"p10", "c:\\10.exe", false, 0, 32},
                          Row{"p11.lnk", userDisabled + "\\p11.lnk", false, 0, 4},
                          Row{"p12.lnk", commonDisabled + "\\p12.lnk", false, 0, 8}));
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_EQ(store.Folders.StartupDir, userStartup);
  EXPECT_EQ(store.Folders.CommonStartupDir, commonStartup);
  EXPECT_EQ(store.Folders.DisabledStartupDir, userDisabled);
  EXPECT_EQ(store.Folders.DisabledCommonStartupDir, commonDisabled);
}

TEST_F(ScanTest, NothingAnywhereGivesNoRowsNoMessageAndHiddenDisabledFolders) {
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(report.reports, IsEmpty());
  for (const std::string& folder : {userDisabled, commonDisabled}) {
    const DWORD attributes = Attributes(folder);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << folder;
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN),
              DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN})
        << folder;
  }
  // The scan never creates a "-" key.
  EXPECT_FALSE(KeyExists(kUser, VersionKey("Run-")));
  EXPECT_FALSE(KeyExists(kMachine, VersionKey("RunServices-")));
  // Rescanning with the folders now in place still lists nothing and makes nothing new.
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_EQ(platform.Calls(Op::CreateFolder), 2);
}

TEST_F(ScanTest, DefaultValueEmptyDataAndExpandableStrings) {
  const std::string key = VersionKey("Run");
  SetString(kUser, key, "", "c:\\default.exe");
  SetString(kUser, key, "blank", "");
  SetRaw(kUser, key, "no data", REG_SZ, "", 0);
  SetString(kUser, key, "expand", "%SystemRoot%\\x.exe /p %TEMP%", REG_EXPAND_SZ);
  SetRaw(kUser, key, "nul inside", REG_SZ, "abc\0def", 8);
  SetRaw(kUser, key, "unterminated", REG_SZ, "abcX", 3);
  SetRaw(kUser, key, "empty binary", REG_BINARY, "", 0);

  // Wine enumerates values sorted, Windows in order of creation: compare as sets.
  EXPECT_THAT(RowsOf(Scan(), slUserRun, 1),
              ::testing::UnorderedElementsAre(Row{"", "c:\\default.exe", true, 1, 1}, Row{"blank", "", true, 1, 1},
                                              Row{"no data", "", true, 1, 1},
                                              Row{"expand", "%SystemRoot%\\x.exe /p %TEMP%", true, 1, 1},
                                              Row{"nul inside", "abc", true, 1, 1},
                                              Row{"unterminated", "abc", true, 1, 1},
                                              Row{"empty binary", "", true, 1, 1}));
}

TEST_F(ScanTest, NonStringValuesAreSkippedAndTheRestStillLoads) {
  const std::string run = VersionKey("Run");
  SetString(kUser, run, "a", "c:\\a.exe");
  SetDword(kUser, run, "b number", 7);
  SetRaw(kUser, run, "c bytes", REG_BINARY, "\x01\x02", 2);
  SetRaw(kUser, run, "d multi", REG_MULTI_SZ, "x\0y\0\0", 5);
  const ULONGLONG big = 1;
  SetRaw(kUser, run, "e qword", REG_QWORD, &big, sizeof big);
  SetString(kUser, run, "f", "c:\\f.exe");
  SetDword(kMachine, run, "g number", 1);
  SetString(kMachine, run, "h", "c:\\h.exe");
  SetDword(kUser, VersionKey("Run-"), "i number", 1);
  SetString(kUser, VersionKey("Run-"), "j", "c:\\j.exe");

  const TStartupRows rows = Scan();
  EXPECT_THAT(RowsOf(rows, slUserRun, 1),
              ::testing::UnorderedElementsAre(Row{"a", "c:\\a.exe", true, 1, 1}, Row{"f", "c:\\f.exe", true, 1, 1}));
  EXPECT_THAT(RowsOf(rows, slMachineRun, 1), ElementsAre(Row{"h", "c:\\h.exe", true, 1, 16}));
  EXPECT_THAT(RowsOf(rows, slUserRun, 0), ElementsAre(Row{"j", "c:\\j.exe", false, 0, 1}));
  EXPECT_EQ(rows.size(), 4u);
  for (const TStartupRow& row : rows) EXPECT_FALSE(row.Path.empty()) << row.Name;
}

TEST_F(ScanTest, SameNameInBothHivesAndInRunAndRunMinusAreSeparateRows) {
  SetString(kUser, VersionKey("Run"), "tool", "c:\\user.exe");
  SetString(kMachine, VersionKey("Run"), "tool", "c:\\machine.exe");
  SetString(kUser, VersionKey("Run-"), "tool", "c:\\parked.exe");
  SetString(kUser, VersionKey("RunServices"), "tool", "c:\\service.exe");

  EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"tool", "c:\\user.exe", true, 1, 1},
                                           Row{"tool", "c:\\machine.exe", true, 1, 16},
                                           Row{"tool", "c:\\service.exe", true, 1, 2},
                                           Row{"tool", "c:\\parked.exe", false, 0, 1}));
}

TEST_F(ScanTest, FolderListsPlainSystemAndReadOnlyFilesButNoHiddenFilesOrFolders) {
  MakeFile(userStartup + "\\plain.lnk");
  MakeFile(userStartup + "\\system.exe", FILE_ATTRIBUTE_SYSTEM);
  MakeFile(userStartup + "\\readonly.txt", FILE_ATTRIBUTE_READONLY);
  MakeFile(userStartup + "\\archive.bat", FILE_ATTRIBUTE_ARCHIVE);
  MakeFile(userStartup + "\\hidden.lnk", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(userStartup + "\\hidden system.lnk", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  MakeFolder(userStartup + "\\sub folder");
  MakeFile(userStartup + "\\sub folder\\inside.lnk");
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\parked.lnk", FILE_ATTRIBUTE_READONLY);
  MakeFile(userDisabled + "\\parked hidden.lnk", FILE_ATTRIBUTE_HIDDEN);
  MakeFolder(userDisabled + "\\parked folder");

  const TStartupRows rows = Scan();
  EXPECT_THAT(RowsOf(rows, slUserStartupFolder, 1),
              ::testing::UnorderedElementsAre(Row{"plain.lnk", userStartup + "\\plain.lnk", true, 1, 4},
                                              Row{"system.exe", userStartup + "\\system.exe", true, 1, 4},
                                              Row{"readonly.txt", userStartup + "\\readonly.txt", true, 1, 4},
                                              Row{"archive.bat", userStartup + "\\archive.bat", true, 1, 4}));
  EXPECT_THAT(RowsOf(rows, slUserStartupFolder, 0),
              ElementsAre(Row{"parked.lnk", userDisabled + "\\parked.lnk", false, 0, 4}));
  EXPECT_EQ(rows.size(), 5u);
}

TEST_F(ScanTest, ExistingDisabledFolderIsUsedAsItIs) {
  MakeFolder(userDisabled);  // visible, unlike one the scan makes
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_EQ(Attributes(userDisabled) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(platform.Calls(Op::CreateFolder, userDisabled), 0);
  EXPECT_EQ(platform.Calls(Op::SetAttributes), 1);  // only the common one, which was missing
}

TEST_F(ScanTest, DeletedDisabledFolderIsMadeAgainOnTheNextScan) {
  Scan();
  RemoveTree(userDisabled);
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_NE(Attributes(userDisabled) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_THAT(report.reports, IsEmpty());
}

TEST_F(ScanTest, FileInTheWayOfTheDisabledFolderIsReportedOnceAndTheScanGoesOn) {
  MakeFile(userDisabled);
  MakeFolder(commonDisabled);
  MakeFile(commonDisabled + "\\later.lnk");

  const TStartupRows rows = Scan();
  EXPECT_THAT(report.reports, ElementsAre(ReportedError{ERROR_ALREADY_EXISTS, userDisabled}));
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{"later.lnk", commonDisabled + "\\later.lnk", false, 0, 8}));
  EXPECT_EQ(Attributes(userDisabled) & FILE_ATTRIBUTE_DIRECTORY, 0u);  // left as it was
  Scan();
  EXPECT_EQ(report.reports.size(), 2u);  // nothing changed, so every scan reports it again
}

TEST_F(ScanTest, StartupFolderWhoseParentIsMissingIsReportedForTheDisabledFolderOnly) {
  SetShellFolder(kUser, "Startup", "C:\\kestrun-missing\\Start Menu\\StartUp");
  MakeFile(commonStartup + "\\later.lnk");

  const TStartupRows rows = Scan();
  EXPECT_THAT(report.reports, ElementsAre(ReportedError{
                                  ERROR_PATH_NOT_FOUND, "C:\\kestrun-missing\\Start Menu\\Disabled Startup Items"}));
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{"later.lnk", commonStartup + "\\later.lnk", true, 1, 8}));
  EXPECT_EQ(store.Folders.StartupDir, "C:\\kestrun-missing\\Start Menu\\StartUp");
  EXPECT_FALSE(Exists("C:\\kestrun-missing"));
}

TEST_F(ScanTest, RefusedFolderCreationIsReportedWithItsCodeAndNotHidden) {
  platform.Fail(Op::CreateFolder, ERROR_ACCESS_DENIED, "Disabled Startup Items");
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(report.reports, ElementsAre(ReportedError{ERROR_ACCESS_DENIED, userDisabled},
                                          ReportedError{ERROR_ACCESS_DENIED, commonDisabled}));
  EXPECT_EQ(platform.Calls(Op::SetAttributes), 0);
}

TEST_F(ScanTest, LiveStartupFolderThatCannotBeListedIsSilentAndNotCreated) {
  SetShellFolder(kMachine, "Common Startup", "C:\\kestrun-missing-common\\StartUp");
  MakeFolder("C:\\kestrun-missing-common");
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_FALSE(Exists("C:\\kestrun-missing-common\\StartUp"));
  EXPECT_TRUE(Exists("C:\\kestrun-missing-common\\Disabled Startup Items"));
  RemoveTree("C:\\kestrun-missing-common");
}

TEST_F(ScanTest, MissingOrEmptyShellFolderValueSkipsThePlaceAndKeepsTheLastPaths) {
  MakeFile(userStartup + "\\u.lnk");
  MakeFile(commonStartup + "\\c.lnk");
  Scan();
  const TStartupFolders before = store.Folders;

  DeleteShellFolder(kUser, "Startup");
  SetShellFolder(kMachine, "Common Startup", "");
  RemoveTree(userDisabled);
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_EQ(store.Folders.StartupDir, before.StartupDir);
  EXPECT_EQ(store.Folders.CommonStartupDir, before.CommonStartupDir);
  EXPECT_EQ(store.Folders.DisabledStartupDir, before.DisabledStartupDir);
  EXPECT_EQ(store.Folders.DisabledCommonStartupDir, before.DisabledCommonStartupDir);
  EXPECT_FALSE(Exists(userDisabled));  // a skipped place creates nothing
}

TEST_F(ScanTest, ShellFoldersKeyThatCannotBeOpenedSkipsBothFolderPlaces) {
  MakeFile(userStartup + "\\u.lnk");
  SetString(kUser, VersionKey("Run"), "r", "c:\\r.exe");
  platform.Fail(Op::OpenKey, ERROR_ACCESS_DENIED, "Shell Folders");
  EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"r", "c:\\r.exe", true, 1, 1}));
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_EQ(platform.Calls(Op::ListFolder), 0);
  EXPECT_TRUE(store.Folders.StartupDir.empty());
}

TEST_F(ScanTest, KeyThatCannotBeOpenedForFullAccessContributesNothing) {
  SetString(kMachine, VersionKey("Run"), "m", "c:\\m.exe");
  SetString(kUser, VersionKey("Run"), "u", "c:\\u.exe");
  platform.Fail(Op::OpenKey, ERROR_ACCESS_DENIED, "HKLM\\");
  EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"u", "c:\\u.exe", true, 1, 1}));
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_FALSE(Exists(commonDisabled));  // the machine-wide folder place is skipped too
}

TEST_F(ScanTest, KeyTheUserMayOnlyReadIsPassedOverSilently) {
  SetString(kMachine, VersionKey("Run"), "m", "c:\\m.exe");
  SetString(kUser, VersionKey("Run"), "u", "c:\\u.exe");
  {
    ReadOnlyKey readOnly(kMachine, VersionKey("Run"));
    UniqueKey probe;
    ASSERT_EQ(RegOpenKeyExA(kMachine, VersionKey("Run").c_str(), 0, KEY_ALL_ACCESS, probe.Put()),
              ERROR_ACCESS_DENIED);
    EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"u", "c:\\u.exe", true, 1, 1}));
    EXPECT_THAT(report.reports, IsEmpty());
  }
  EXPECT_EQ(RowsOf(Scan(), slMachineRun, 1).size(), 1u);
}

TEST_F(ScanTest, ValueUnreadableDuringEnumerationEndsOnlyThatPlace) {
  SetString(kUser, VersionKey("Run"), "u", "c:\\u.exe");
  SetString(kMachine, VersionKey("Run"), "m", "c:\\m.exe");
  platform.Fail(Op::EnumValues, ERROR_ACCESS_DENIED, "HKCU\\");
  EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"m", "c:\\m.exe", true, 1, 16}));
}

TEST_F(ScanTest, StartupPathEndingInBackslashKeepsItsDisabledFolderInside) {
  SetShellFolder(kUser, "Startup", userStartup + "\\");
  MakeFile(userStartup + "\\a.lnk");
  const std::string inside = userStartup + "\\Disabled Startup Items";

  EXPECT_THAT(RowsOf(Scan(), slUserStartupFolder, 1),
              ElementsAre(Row{"a.lnk", userStartup + "\\\\a.lnk", true, 1, 4}));
  EXPECT_EQ(store.Folders.DisabledStartupDir, inside);
  EXPECT_NE(Attributes(inside) & FILE_ATTRIBUTE_HIDDEN, 0u);
  // The hidden folder now inside the Startup folder is no entry of it.
  EXPECT_EQ(RowsOf(Scan(), slUserStartupFolder, 1).size(), 1u);
  EXPECT_THAT(report.reports, IsEmpty());
}

TEST_F(ScanTest, StartupPathWithoutBackslashHasItsDisabledFolderInTheCurrentDirectory) {
  MakeFolder("C:\\kestrun-cwd");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\kestrun-cwd"));
  SetShellFolder(kUser, "Startup", "StartUp");

  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_EQ(store.Folders.DisabledStartupDir, "Disabled Startup Items");
  EXPECT_TRUE(Exists("C:\\kestrun-cwd\\Disabled Startup Items"));
  EXPECT_FALSE(Exists("C:\\kestrun-cwd\\StartUp"));
  SetCurrentDirectoryA(previous);
  RemoveTree("C:\\kestrun-cwd");
}

TEST_F(ScanTest, StartupValueOfAnotherTypeRaisesTheRegistryError) {
  SetDword(kUser, kShellFolders, "Startup", 1);
  EXPECT_THROW(Scan(), ERegistryError);
}

TEST_F(ScanTest, RescanReplacesEveryRow) {
  SetString(kUser, VersionKey("Run"), "a", "c:\\a.exe");
  TStartupRows rows;
  store.LoadStartupList(rows);
  DeleteKey(kUser, VersionKey("Run"));
  SetString(kUser, VersionKey("Run-"), "a", "c:\\a.exe");
  rows[0].Checked = true;  // a user's change does not survive a rescan
  store.LoadStartupList(rows);
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{"a", "c:\\a.exe", false, 0, 1}));
}

}  // namespace
}  // namespace kestrun::test
