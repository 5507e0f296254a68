// An action reaches exactly the entry the user chose, byte for byte, or it is refused with the reason:
// names no narrow string carries, names the file system would trim, stale lists, entries of the same
// name in the way, and failures that must be said.
#include <gmock/gmock.h>

#include <stdexcept>

#include "base/Text.h"
#include "store/StartupShortcut.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

StartupRow& Find(StartupRows& rows, const std::string& name, int location, int enabled) {
  for (StartupRow& row : rows)
    if (row.name == name && row.record.GetLocation() == location && row.record.GetEnabled() == enabled) return row;
  throw std::runtime_error("no row " + name);
}

TEST(Wtf8, EveryUtf16SequenceSurvivesTheRoundTrip) {
  const std::wstring samples[] = {L"x\xD800", L"x\xDFFF y", L"\xDC00\xD800", L"\xD83D\xDE00", L"\xD83D",
                                  L"Дима 日本", std::wstring(L"a\0b", 3), L"\xFFFD"};
  for (const std::wstring& sample : samples) EXPECT_EQ(ToWide(FromWide(sample)), sample);
  EXPECT_EQ(FromWide(L"x\xD800"), "x\xED\xA0\x80");
  EXPECT_NE(FromWide(L"x\xD800"), FromWide(L"x\xFFFD"));
  EXPECT_EQ(FromWide(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");  // a pair is one character, as in UTF-8
  EXPECT_EQ(ToWide("\xFF"), L"\xFFFD");                     // no WTF-8 at all
  EXPECT_TRUE(SameName("Ditto.lnk", "DITTO.LNK"));
  EXPECT_TRUE(SameName("Дима", "ДИМА"));
  EXPECT_FALSE(SameName("trail", "trail "));
}

class ExactEntryTest : public StartupPrefixTest {
 protected:
  const std::string run = VersionKey("Run");
  const std::string parked = VersionKey("Run-");
};

TEST_F(ExactEntryTest, UnpairedSurrogateNamesAndDataMoveAndGoExactly) {
  const std::wstring lone = L"x\xD800", replaced = L"x\xFFFD";
  SetWide(kUser, run, lone, L"C:\\a.exe");
  SetWide(kUser, run, replaced, L"C:\\b.exe");
  SetWide(kUser, run, L"data", L"C:\\\xD800" L"c");
  StartupRows rows = Scan();
  ASSERT_EQ(rows.size(), 3u);
  Find(rows, FromWide(lone), slUserRun, 1).checked = false;
  Find(rows, "data", slUserRun, 1).checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_EQ(ReadWide(kUser, parked, lone)->data, Utf16Bytes(L"C:\\a.exe"));
  EXPECT_EQ(ReadWide(kUser, run, replaced)->data, Utf16Bytes(L"C:\\b.exe"));
  EXPECT_FALSE(ReadWide(kUser, run, lone).has_value());
  EXPECT_FALSE(ReadWide(kUser, parked, replaced).has_value());

  rows = Scan();
  Find(rows, "data", slUserRun, 0).checked = true;
  store.ApplyCheckChanges(rows);
  EXPECT_EQ(ReadWide(kUser, run, L"data")->data, Utf16Bytes(L"C:\\\xD800" L"c"));

  store.RemoveEntry(Find(rows, FromWide(lone), slUserRun, 0));
  EXPECT_EQ(ValueCount(kUser, parked), 0);
  EXPECT_EQ(ReadWide(kUser, run, replaced)->data, Utf16Bytes(L"C:\\b.exe"));
  EXPECT_THAT(report.failures, IsEmpty());
}

TEST_F(ExactEntryTest, FileNamesEndingInABlankOrADotAreAddressedAsListed) {
  for (const char* name : {"\\s", "\\s ", "\\t", "\\t."}) MakeFile(userStartup + name, FILE_ATTRIBUTE_NORMAL, name);
  StartupRows rows = Scan();
  ASSERT_EQ(rows.size(), 4u);
  store.RemoveEntry(Find(rows, "s ", slUserStartupFolder, 1));
  Find(rows, "t.", slUserStartupFolder, 1).checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_TRUE(Exists(userStartup + "\\s"));
  EXPECT_FALSE(Exists(userStartup + "\\s "));
  EXPECT_TRUE(Exists(userStartup + "\\t"));
  EXPECT_FALSE(Exists(userStartup + "\\t."));
  EXPECT_TRUE(Exists(userDisabled + "\\t."));
  EXPECT_FALSE(Exists(userDisabled + "\\t"));
  EXPECT_TRUE(platform.FileExists(userDisabled + "\\t."));
  EXPECT_FALSE(platform.FileExists(userDisabled + "\\t"));
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_THAT(report.failures, IsEmpty());
}

TEST_F(ExactEntryTest, NameWithAPathSeparatorIsNoEntryAndNeverChanged) {
  MakeFolder(userStartup + "\\b");
  MakeFile(userStartup + "\\b\\s.bat");
  for (const bool enabled : {true, false}) {
    StartupRow row{"b\\s.bat", userStartup + "\\b\\s.bat", !enabled, TKStartupEntry(enabled, slUserStartupFolder)};
    store.ApplyCheckChanges({row});
    store.RemoveEntry(row);
  }
  EXPECT_TRUE(Exists(userStartup + "\\b\\s.bat"));
  EXPECT_EQ(report.failures.size(), 4u);  // each row both moved and removed
  EXPECT_THAT(report.failures[0], HasSubstr("'b\\s.bat' is not an entry"));
}

TEST_F(ExactEntryTest, ValueChangedSinceTheScanIsNotMovedAndTheOthersAre) {
  SetString(kUser, run, "A", "C:\\old.exe");
  SetString(kUser, run, "B", "C:\\b.exe");
  StartupRows rows = Scan();
  SetString(kUser, run, "A", "C:\\new.exe --updated", REG_EXPAND_SZ);
  for (StartupRow& row : rows) row.checked = false;
  store.ApplyCheckChanges(rows);
  const auto a = ReadRaw(kUser, run, "A");
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->type, DWORD{REG_EXPAND_SZ});
  EXPECT_EQ(a->data, std::string("C:\\new.exe --updated\0", 21));
  EXPECT_FALSE(ReadRaw(kUser, parked, "A").has_value());
  EXPECT_TRUE(ReadRaw(kUser, parked, "B").has_value());
  EXPECT_THAT(report.failures,
              ElementsAre("'A' was changed by another program since the list was read. Press Refresh."));
}

// A value's text ends at its first NUL: bytes after it still make it another value, and move with it.
TEST_F(ExactEntryTest, BytesAfterTheTextCountAsTheValue) {
  const std::string tail = Utf16Bytes(L"C:\\t.exe") + Utf16Bytes(L"x");
  SetRaw(kUser, run, "Tail", REG_SZ, tail.data(), static_cast<DWORD>(tail.size()));
  SetString(kUser, run, "Grown", "C:\\g.exe");
  StartupRows rows = Scan();
  const std::string grown = Utf16Bytes(L"C:\\g.exe") + Utf16Bytes(L"y");
  SetRaw(kUser, run, "Grown", REG_SZ, grown.data(), static_cast<DWORD>(grown.size()));
  for (StartupRow& row : rows) row.checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_EQ(ReadRaw(kUser, parked, "Tail")->data, tail);
  EXPECT_EQ(ReadRaw(kUser, run, "Grown")->data, grown);
  EXPECT_FALSE(ReadRaw(kUser, parked, "Grown").has_value());
  EXPECT_THAT(report.failures,
              ElementsAre("'Grown' was changed by another program since the list was read. Press Refresh."));
}

TEST_F(ExactEntryTest, ADifferentEntryOfTheSameNameInTheTargetIsNeverOverwritten) {
  const std::string inTheWay = "An entry named 'A' is already in the place it would move to; remove one of them first.";
  SetString(kUser, run, "A", "C:\\a.exe");
  SetString(kUser, parked, "a", "C:\\parked.exe");  // the registry ignores letter case
  SetString(kUser, run, "Same", "C:\\same.exe");
  SetString(kUser, parked, "Same", "C:\\same.exe");
  StartupRows rows = Scan();
  for (StartupRow& row : rows) row.checked = !row.checked;  // the swap: live off, parked on, in one go
  store.ApplyCheckChanges(rows);
  EXPECT_EQ(ReadRaw(kUser, run, "A")->data, std::string("C:\\a.exe\0", 9));
  EXPECT_EQ(ReadRaw(kUser, parked, "a")->data, std::string("C:\\parked.exe\0", 14));
  EXPECT_THAT(report.failures, ElementsAre(inTheWay, "An entry named 'a' is already in the place it would move "
                                                     "to; remove one of them first."));
  // The same command on both sides is one entry: it is moved, and then moved back, as before.
  EXPECT_EQ(ValueCount(kUser, run) + ValueCount(kUser, parked), 3);
  EXPECT_TRUE(ReadRaw(kUser, run, "Same").has_value());

  report.failures.clear();
  MakeFile(userStartup + "\\f.lnk", FILE_ATTRIBUTE_NORMAL, "live");
  MakeFile(userStartup + "\\g.lnk", FILE_ATTRIBUTE_NORMAL, "same");
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\F.LNK", FILE_ATTRIBUTE_NORMAL, "parked");
  MakeFile(userDisabled + "\\g.lnk", FILE_ATTRIBUTE_NORMAL, "same");
  rows = Scan();
  Find(rows, "f.lnk", slUserStartupFolder, 1).checked = false;
  Find(rows, "g.lnk", slUserStartupFolder, 1).checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_TRUE(Exists(userStartup + "\\f.lnk"));
  EXPECT_FALSE(Exists(userStartup + "\\g.lnk"));
  EXPECT_THAT(report.failures, ElementsAre("An entry named 'f.lnk' is already in the place it would move to; "
                                           "remove one of them first."));
}

TEST_F(ExactEntryTest, RelativeStartupFolderIsSkippedAndReportedOnceAndNothingIsMadeThere) {
  SetShellFolder(kUser, "Startup", "relstart");
  MakeFile(commonStartup + "\\c.lnk");
  const StartupRows rows = Scan();
  EXPECT_EQ(rows.size(), 1u);
  EXPECT_THAT(report.failures,
              ElementsAre("The Startup folder named in Shell Folders, 'relstart', is not a full path: its entries "
                          "are not listed."));
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_FALSE(Exists("Disabled Startup Items"));
  EXPECT_EQ(platform.Calls(Op::CreateFolder), 1);  // the common one's only

  // Nor is a shortcut written for it, or for a missing or empty value (the root of the drive).
  MakeFolder("C:\\Tools");
  MakeFile("C:\\Tools\\app.exe");
  EXPECT_EQ(store.CreateStartupShortcut("C:\\Tools\\app.exe", "Lost").outcome, coNoStartupFolder);
  SetShellFolder(kUser, "Startup", "");
  EXPECT_EQ(store.CreateStartupShortcut("C:\\Tools\\app.exe", "Lost").outcome, coNoStartupFolder);
  ASSERT_EQ(RegDeleteKeyValueA(kUser, kShellFolders, "Startup"), ERROR_SUCCESS);
  EXPECT_EQ(store.CreateStartupShortcut("C:\\Tools\\app.exe", "Lost").outcome, coNoStartupFolder);
  EXPECT_EQ(platform.Calls(Op::LinkBytes), 0);
  EXPECT_FALSE(Exists("C:\\Lost.lnk"));
}

TEST_F(ExactEntryTest, FileInTheWayOfTheDisabledFolderIsNamed) {
  MakeFile(userStartup + "\\t.lnk");
  MakeFile(userDisabled);
  StartupRows rows = Scan();  // which reports the folder it cannot make, as before
  report.reports.clear();
  rows[0].checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_TRUE(Exists(userStartup + "\\t.lnk"));
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_THAT(report.failures, ElementsAre("'t.lnk' could not be disabled: the folder " + userDisabled +
                                           " cannot be used, a file of that name is in the way."));
}

}  // namespace
}  // namespace kestrun::test
