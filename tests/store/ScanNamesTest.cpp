// Names and data the legacy code page cannot hold, and sizes at the registry's and file system's limits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/platform/Registry.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

const HKEY kUser = HKEY_CURRENT_USER;

std::string Repeat(const std::string& piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

using ScanNamesTest = StartupPrefixTest;

TEST_F(ScanNamesTest, NamesOutsideTheLegacyCodePageRoundTrip) {
  SetString(kUser, VersionKey("Run"), "Привет", "C:\\Программы\\привет.exe");
  SetString(kUser, VersionKey("Run-"), "日本", "C:\\日本\\起動.exe");
  MakeFile(userStartup + "\\Привет.lnk");
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\日本.txt");

  EXPECT_THAT(Flatten(Scan()),
              ElementsAre(Row{"Привет", "C:\\Программы\\привет.exe", true, 1, 1},
                          Row{"Привет.lnk", userStartup + "\\Привет.lnk", true, 1, 4},
                          Row{"日本", "C:\\日本\\起動.exe", false, 0, 1},
                          Row{"日本.txt", userDisabled + "\\日本.txt", false, 0, 4}));
}

TEST_F(ScanNamesTest, RegistryObjectOpensReadsAndDeletesNamesOutsideTheLegacyCodePage) {
  TRegistry registry(platform);
  ASSERT_TRUE(registry.OpenKey("\\Software\\Kestrun test\\Ключ 日本", true));
  registry.WriteString("Привет", "данные 日本");
  EXPECT_TRUE(registry.ValueExists("Привет"));
  EXPECT_EQ(registry.ReadString("Привет"), "данные 日本");
  auto raw = ReadRaw(kUser, "Software\\Kestrun test\\Ключ 日本", "Привет");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, DWORD{REG_SZ});
  EXPECT_EQ(raw->data, std::string("данные 日本") + '\0');
  EXPECT_TRUE(registry.DeleteValue("Привет"));
  EXPECT_FALSE(registry.ValueExists("Привет"));
  EXPECT_EQ(ValueCount(kUser, "Software\\Kestrun test\\Ключ 日本"), 0);
  DeleteKey(kUser, "Software\\Kestrun test");
}

TEST_F(ScanNamesTest, LongestValueNamesAndMegabyteDataArriveWhole) {
  const std::string ascii = Repeat("n", 16383);
  const std::string cyrillic = Repeat("Ж", 16383);  // two bytes each in the code page
  const std::string megabyte = Repeat("d", 1 << 20);
  SetString(kUser, VersionKey("Run"), ascii, "c:\\ascii.exe");
  SetString(kUser, VersionKey("Run"), cyrillic, "c:\\cyrillic.exe");
  SetString(kUser, VersionKey("Run"), "big", megabyte);
  SetString(kUser, VersionKey("Run"), "small", "c:\\small.exe");

  const TStartupRows rows = Scan();
  EXPECT_THAT(RowsOf(rows, slUserRun, 1),
              UnorderedElementsAre(Row{ascii, "c:\\ascii.exe", true, 1, 1},
                                   Row{cyrillic, "c:\\cyrillic.exe", true, 1, 1},
                                   Row{"big", megabyte, true, 1, 1}, Row{"small", "c:\\small.exe", true, 1, 1}));

  TRegistry registry(platform);
  ASSERT_TRUE(registry.OpenKey(kRunKey, false));
  EXPECT_EQ(registry.ReadString("big"), megabyte);
  EXPECT_TRUE(registry.ValueExists(cyrillic));
  EXPECT_TRUE(registry.DeleteValue(cyrillic));
  EXPECT_FALSE(registry.ValueExists(cyrillic));
}

TEST_F(ScanNamesTest, UnterminatedStringReadsToItsOwnLengthOnly) {
  // "abcX" stored with length 3: the data has no NUL, and the X must never be read.
  SetRaw(kUser, VersionKey("Run"), "raw", REG_SZ, "abcX", 3);
  SetRaw(kUser, VersionKey("Run"), "raw expand", REG_EXPAND_SZ, "defY", 3);
  EXPECT_THAT(Flatten(Scan()), UnorderedElementsAre(Row{"raw", "abc", true, 1, 1},
                                                    Row{"raw expand", "def", true, 1, 1}));
  TRegistry registry(platform);
  ASSERT_TRUE(registry.OpenKey(kRunKey, false));
  EXPECT_EQ(registry.ReadString("raw"), "abc");
}

TEST_F(ScanNamesTest, LongFileNamesAreListedWhole) {
  const std::string ascii = Repeat("a", 220) + ".lnk";
  const std::string cyrillic = Repeat("я", 120) + ".txt";  // 244 bytes in the code page
  MakeFile(userStartup + "\\" + ascii);
  MakeFile(userStartup + "\\" + cyrillic);

  const TStartupRows rows = Scan();
  EXPECT_THAT(Flatten(rows), UnorderedElementsAre(Row{ascii, userStartup + "\\" + ascii, true, 1, 4},
                                                  Row{cyrillic, userStartup + "\\" + cyrillic, true, 1, 4}));
}

}  // namespace
}  // namespace kestrun::test

namespace kestrun::test {
namespace {

TEST_F(ScanNamesTest, LongFileNameEntryCanBeParkedBroughtBackAndRemoved) {
  const std::string name = Repeat("b", 220) + ".lnk";
  MakeFile(userStartup + "\\" + name);
  TStartupRows rows = Scan();
  ASSERT_EQ(rows.size(), 1u);
  rows[0].Checked = false;
  store.ApplyCheckChanges(rows);
  rows = Scan();
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{name, userDisabled + "\\" + name, false, 0, 4}));
  EXPECT_THAT(report.reports, ::testing::IsEmpty());
  rows[0].Checked = true;
  store.ApplyCheckChanges(rows);
  rows = Scan();
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{name, userStartup + "\\" + name, true, 1, 4}));
  store.RemoveEntry(rows[0]);
  EXPECT_THAT(Scan(), ::testing::IsEmpty());
  EXPECT_THAT(report.reports, ::testing::IsEmpty());
}

}  // namespace
}  // namespace kestrun::test
