// StartupApproved flags at the byte level: Wine's log-on ignores them, so the bytes are the proof.
#include <gmock/gmock.h>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const std::string kOff("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12);  // as Task Manager writes it
const std::string kOn("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
const std::string kSeven("\x07\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12);
const std::string kShort("\x03\0\0\0\0\0\0\0", 8);

void SetFlag(HKEY hive, const std::string& sub, const std::string& name, const std::string& bytes,
             DWORD type = REG_BINARY) {
  SetRaw(hive, ApprovedKey(sub), name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// A value in key and its flag in flagSub, as Task Manager leaves them.
void FlaggedValue(HKEY hive, const std::string& key, const std::string& name, const std::string& flagSub,
                  const std::string& bytes) {
  SetString(hive, key, name, "c:\\" + name + ".exe");
  SetFlag(hive, flagSub, name, bytes);
}

std::string Flag(HKEY hive, const std::string& sub, const std::string& name) {
  const auto raw = ReadRaw(hive, ApprovedKey(sub), name);
  return raw ? raw->data : "missing";
}

struct Seen {
  std::string name;
  bool checked;
  int enabled;
  Approval approved;
  bool operator==(const Seen&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Seen& seen) {
  return out << seen.name << " checked " << seen.checked << " enabled " << seen.enabled << " approved "
             << static_cast<int>(seen.approved);
}
std::vector<Seen> Seeing(const StartupRows& rows) {
  std::vector<Seen> seen;
  for (const StartupRow& row : rows) seen.push_back({row.name, row.checked, row.record.GetEnabled(), row.approved});
  return seen;
}

class ApprovedTest : public StartupPrefixTest {
 protected:
  // Scans, ticks the rows named, applies, and scans again.
  StartupRows Tick(const std::vector<std::string>& names, bool checked = true) {
    StartupRows rows = Scan();
    for (StartupRow& row : rows)
      for (const std::string& name : names)
        if (row.name == name) row.checked = checked;
    store.ApplyCheckChanges(rows);
    return Scan();
  }
};

TEST_F(ApprovedTest, SwitchedOffEntriesAreListedUntickedInTheirLivePlace) {
  for (const char* name : {"Off", "On", "Seven", "Short", "Number", "None"})
    SetString(kUser, VersionKey("Run"), name, "c:\\x.exe");
  SetFlag(kUser, "Run", "off", kOff);  // the registry ignores letter case, and so does the flag
  SetFlag(kUser, "Run", "On", kOn);
  SetFlag(kUser, "Run", "Seven", kSeven);
  SetFlag(kUser, "Run", "Short", kShort);
  SetFlag(kUser, "Run", "Number", std::string("\x03\0\0\0", 4), REG_DWORD);
  FlaggedValue(kMachine, Version32Key("Run"), "W32", "Run32", kOff);
  // A 32-bit flag says nothing about the 64-bit key.
  FlaggedValue(kMachine, VersionKey("Run"), "Native", "Run32", kOff);
  MakeFile(userStartup + "\\a.lnk");
  SetFlag(kUser, "StartupFolder", "a.lnk", kOff);
  FlaggedValue(kUser, VersionKey("Run-"), "Parked", "Run", kOff);
  SetString(kUser, VersionKey("Run"), "Ærø", "c:\\x.exe");
  SetFlag(kUser, "Run", "ærø", kOff);  // letter case beyond ASCII too

  const auto expected = UnorderedElementsAre(
      Seen{"Off", false, 1, Approval::Off}, Seen{"On", true, 1, Approval::On}, Seen{"Seven", false, 1, Approval::Off},
      Seen{"Short", true, 1, Approval::None}, Seen{"Number", true, 1, Approval::None},
      Seen{"None", true, 1, Approval::None}, Seen{"W32", false, 1, Approval::Off},
      Seen{"Native", true, 1, Approval::None}, Seen{"a.lnk", false, 1, Approval::Off},
      Seen{"Parked", false, 0, Approval::Off}, Seen{"Ærø", false, 1, Approval::Off});
  EXPECT_THAT(Seeing(Scan()), expected);
  // Where the platform takes several calls at once, a live place's flags are listed while it is read.
  Win32Platform machine(8);
  StartupStore sideBySide(machine, report);
  StartupRows rows;
  sideBySide.LoadStartupList(rows);
  EXPECT_THAT(Seeing(rows), expected);
  // The flags are listed in one go; where that listing fails, each is read on its own.
  platform.Fail(Op::EnumValues, ERROR_ACCESS_DENIED, "", 2);  // the first is the Run key's own
  EXPECT_THAT(Seeing(Scan()), expected);
}

TEST_F(ApprovedTest, TickingWritesTheEnabledBytesInPlaceAndUntickingParksLeavingTheFlag) {
  FlaggedValue(kUser, VersionKey("Run"), "Off", "Run", kOff);
  FlaggedValue(kMachine, Version32Key("Run"), "W32", "Run32", kSeven);
  MakeFile(commonStartup + "\\c.bat");
  SetFlag(kMachine, "StartupFolder", "c.bat", kOff);
  SetFlag(kUser, "Run", "Short", kShort);  // not a flag: untouched by anything

  const StartupRows rows = Tick({"Off", "W32", "c.bat"});
  EXPECT_EQ(Flag(kUser, "Run", "Off"), kOn);
  EXPECT_EQ(Flag(kMachine, "Run32", "W32"), kOn);
  EXPECT_EQ(Flag(kMachine, "StartupFolder", "c.bat"), kOn);
  EXPECT_EQ(Flag(kUser, "Run", "Short"), kShort);
  EXPECT_THAT(Seeing(rows), ElementsAre(Seen{"Off", true, 1, Approval::On}, Seen{"c.bat", true, 1, Approval::On},
                                        Seen{"W32", true, 1, Approval::On}));
  EXPECT_EQ(ValueCount(kUser, VersionKey("Run-")), -1);  // nothing was parked or moved
  EXPECT_THAT(report.reports, IsEmpty());
  // Unticking it again parks it and leaves the flag.
  EXPECT_THAT(Seeing(Tick({"Off"}, false)), Contains(Seen{"Off", false, 0, Approval::On}));
  EXPECT_EQ(Flag(kUser, "Run", "Off"), kOn);
}

TEST_F(ApprovedTest, EnablingAParkedEntryUnderADisablingFlagSwitchesTheFlagOn) {
  FlaggedValue(kUser, VersionKey("Run-"), "Flagged", "Run", kOff);
  SetString(kUser, VersionKey("Run-"), "Unflagged", "c:\\u.exe");
  FlaggedValue(kUser, VersionKey("Run-"), "Odd", "Run", kShort);
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\b.lnk");
  SetFlag(kUser, "StartupFolder", "b.lnk", kSeven);

  const StartupRows rows = Tick({"Flagged", "Unflagged", "Odd", "b.lnk"});
  EXPECT_EQ(Flag(kUser, "Run", "Flagged"), kOn);
  EXPECT_EQ(Flag(kUser, "StartupFolder", "b.lnk"), kOn);
  EXPECT_EQ(Flag(kUser, "Run", "Unflagged"), "missing");  // no flag is made where none was
  EXPECT_EQ(Flag(kUser, "Run", "Odd"), kShort);
  for (const StartupRow& row : rows) EXPECT_TRUE(StartsAtLogOn(row)) << row.name;
  EXPECT_EQ(rows.size(), 4u);
}

TEST_F(ApprovedTest, RemovingDeletesTheFlagUnlessItSpeaksForTheOtherPlace) {
  FlaggedValue(kUser, VersionKey("Run"), "Gone", "Run", kOff);
  SetString(kUser, VersionKey("Run"), "Both", "c:\\live.exe");
  SetString(kUser, VersionKey("Run-"), "Both", "c:\\parked.exe");
  SetFlag(kUser, "Run", "Both", kOff);
  FlaggedValue(kUser, VersionKey("Run"), "Odd", "Run", kShort);
  MakeFile(userStartup + "\\f.lnk");
  SetFlag(kUser, "StartupFolder", "f.lnk", kOff);

  for (const StartupRow& row : Scan())
    if (row.name != "Both" || row.record.GetEnabled() == 0) store.RemoveEntry(row);
  EXPECT_EQ(Flag(kUser, "Run", "Gone"), "missing");
  EXPECT_EQ(Flag(kUser, "StartupFolder", "f.lnk"), "missing");
  EXPECT_EQ(Flag(kUser, "Run", "Both"), kOff);  // the live "Both" stays switched off
  EXPECT_EQ(Flag(kUser, "Run", "Odd"), kShort);
  EXPECT_THAT(Seeing(Scan()), ElementsAre(Seen{"Both", false, 1, Approval::Off}));
}

}  // namespace
}  // namespace kestrun::test
