// Values of every shape, names and data the legacy code page cannot hold, and sizes at the registry's
// and file system's limits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;


std::string Repeat(const std::string& piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

using ScanNamesTest = StartupPrefixTest;

TEST_F(ScanNamesTest, StringValuesOfEveryShapeLoadAndOtherTypesAreSkipped) {
  const std::string run = VersionKey("Run");
  SetString(kUser, run, "", "c:\\default.exe");
  SetString(kUser, run, "blank", "");
  SetRaw(kUser, run, "no data", REG_SZ, "", 0);
  SetRaw(kUser, run, "empty binary", REG_BINARY, "", 0);
  SetString(kUser, run, "expand", "%SystemRoot%\\x.exe /p %TEMP%", REG_EXPAND_SZ);
  SetRaw(kUser, run, "nul inside", REG_SZ, "abc\0def", 8);
  // Stored without their NUL: the X and Y must never be read.
  SetRaw(kUser, run, "unterminated", REG_SZ, "abcX", 3);
  SetRaw(kUser, run, "unterminated expand", REG_EXPAND_SZ, "defY", 3);
  SetDword(kUser, run, "number", 7);
  SetRaw(kUser, run, "bytes", REG_BINARY, "\x01\x02", 2);
  SetRaw(kUser, run, "multi", REG_MULTI_SZ, "x\0y\0\0", 5);
  SetDword(kMachine, run, "number", 1);
  SetString(kMachine, run, "h", "c:\\h.exe");
  SetDword(kUser, VersionKey("Run-"), "number", 1);
  SetString(kUser, VersionKey("Run-"), "j", "c:\\j.exe");

  // Wine enumerates values sorted, Windows in order of creation: compare as sets.
  const StartupRows rows = Scan();
  EXPECT_THAT(RowsOf(rows, slUserRun, 1),
              UnorderedElementsAre(Row{"", "c:\\default.exe", true, 1, 1}, Row{"blank", "", true, 1, 1},
                                   Row{"no data", "", true, 1, 1}, Row{"empty binary", "", true, 1, 1},
                                   Row{"expand", "%SystemRoot%\\x.exe /p %TEMP%", true, 1, 1},
                                   Row{"nul inside", "abc", true, 1, 1}, Row{"unterminated", "abc", true, 1, 1},
                                   Row{"unterminated expand", "def", true, 1, 1}));
  EXPECT_THAT(RowsOf(rows, slMachineRun, 1), ElementsAre(Row{"h", "c:\\h.exe", true, 1, 16}));
  EXPECT_THAT(RowsOf(rows, slUserRun, 0), ElementsAre(Row{"j", "c:\\j.exe", false, 0, 1}));
  EXPECT_EQ(rows.size(), 10u);

  RegistryAccess registry(platform);  // reads one value by name, not by enumeration
  ASSERT_TRUE(registry.OpenKey(kRunKey, false));
  EXPECT_EQ(registry.ReadString("unterminated"), "abc");
}

TEST_F(ScanNamesTest, NamesOutsideTheLegacyCodePageAreListedAndRemoved) {
  // A user name such as this one puts them into the Startup folder's path too.
  const std::string home = platform.UserProfile() + "\\Пётр 日本";
  const std::string startup = home + "\\StartUp";
  const std::string parked = home + "\\Disabled Startup Items";
  MakeFolder(home);
  MakeFolder(startup);
  MakeFolder(parked);
  SetShellFolder(kUser, "Startup", startup);
  SetString(kUser, VersionKey("Run"), "Привет", "C:\\Программы\\привет.exe");
  SetString(kUser, VersionKey("Run-"), "日本", "C:\\日本\\起動.exe");
  MakeFile(startup + "\\Привет.lnk");
  MakeFile(parked + "\\日本.txt");

  const StartupRows rows = Scan();
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{"Привет", "C:\\Программы\\привет.exe", true, 1, 1},
                                         Row{"Привет.lnk", startup + "\\Привет.lnk", true, 1, 4},
                                         Row{"日本", "C:\\日本\\起動.exe", false, 0, 1},
                                         Row{"日本.txt", parked + "\\日本.txt", false, 0, 4}));
  for (const StartupRow& row : rows) store.RemoveEntry(row);
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(report.reports, IsEmpty());
  RemoveTree(home);
}

TEST_F(ScanNamesTest, LongestValueNamesAndMegabyteDataArriveWhole) {
  const std::string ascii = Repeat("n", 16383);
  const std::string cyrillic = Repeat("Ж", 16383);  // two bytes each in the code page
  const std::string megabyte = Repeat("d", 1 << 20);
  SetString(kUser, VersionKey("Run"), ascii, "c:\\ascii.exe");
  SetString(kUser, VersionKey("Run"), cyrillic, "c:\\cyrillic.exe");
  SetString(kUser, VersionKey("Run"), "big", megabyte);

  EXPECT_THAT(Flatten(Scan()), UnorderedElementsAre(Row{ascii, "c:\\ascii.exe", true, 1, 1},
                                                    Row{cyrillic, "c:\\cyrillic.exe", true, 1, 1},
                                                    Row{"big", megabyte, true, 1, 1}));
  RegistryAccess registry(platform);
  ASSERT_TRUE(registry.OpenKey(kRunKey, false, KeyAccess::Write));  // a key opened to read deletes nothing
  EXPECT_EQ(registry.ReadString("big"), megabyte);
  EXPECT_TRUE(registry.DeleteValue(cyrillic));
  EXPECT_FALSE(registry.ValueExists(cyrillic));
}

TEST_F(ScanNamesTest, LongFileNamesAreListedParkedBroughtBackAndRemovedWhole) {
  // Both make paths longer than MAX_PATH.
  const std::string ascii = Repeat("a", 220) + ".lnk";
  const std::string cyrillic = Repeat("я", 120) + ".txt";  // 244 bytes in the code page
  MakeFile(userStartup + "\\" + ascii);
  MakeFile(userStartup + "\\" + cyrillic);
  StartupRows rows = Scan();
  EXPECT_THAT(Flatten(rows), UnorderedElementsAre(Row{ascii, userStartup + "\\" + ascii, true, 1, 4},
                                                  Row{cyrillic, userStartup + "\\" + cyrillic, true, 1, 4}));

  for (StartupRow& row : rows) row.checked = false;
  store.ApplyCheckChanges(rows);
  rows[0].checked = true;  // a change not applied does not survive a rescan
  store.LoadStartupList(rows);  // into the same list: every row is replaced
  EXPECT_THAT(Flatten(rows), UnorderedElementsAre(Row{ascii, userDisabled + "\\" + ascii, false, 0, 4},
                                                  Row{cyrillic, userDisabled + "\\" + cyrillic, false, 0, 4}));

  for (StartupRow& row : rows) row.checked = true;
  store.ApplyCheckChanges(rows);
  rows = Scan();
  EXPECT_EQ(RowsOf(rows, slUserStartupFolder, 1).size(), 2u);
  for (const StartupRow& row : rows) store.RemoveEntry(row);
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(report.reports, IsEmpty());
}

}  // namespace
}  // namespace kestrun::test
