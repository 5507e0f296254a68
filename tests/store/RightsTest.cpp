// A user without administrator rights: Wine runs everything with full rights, so the platform refuses
// every write open under HKLM and every write in the all-users folders, as Windows would.
#include <gmock/gmock.h>

#include "store/ChangeMessages.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const std::string kOff("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12);

const std::string kAskAdmin =
    ": Changing entries for all users needs administrator rights. Start Kestrun as administrator.";
std::string Refused(const std::string& name, bool enable) {
  return "'" + name + (enable ? "' could not be enabled" : "' could not be disabled") + kAskAdmin;
}

class RightsTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    SetString(kUser, VersionKey("Run"), "u", "c:\\u.exe");
    SetString(kMachine, VersionKey("Run"), "m", "c:\\m.exe");
    SetString(kMachine, Version32Key("Run"), "w", "c:\\w.exe");
    SetString(kMachine, VersionKey("RunOnce"), "o", "c:\\o.exe");
    SetString(kMachine, VersionKey("RunServices-"), "s", "c:\\s.exe");
    MakeFile(commonStartup + "\\c.bat");
    MakeFile(userStartup + "\\u.lnk");
  }
  void StandardUser() {
    const std::string allUsers = commonStartup.substr(0, commonStartup.rfind('\\'));
    platform.Fail(Op::OpenKey, ERROR_ACCESS_DENIED, "write HKLM");
    // Writing there is refused; reading (a copy out of it, such as the journal's) is not.
    for (Op op : {Op::CreateFolder, Op::FileDelete}) platform.Fail(op, ERROR_ACCESS_DENIED, allUsers);
    platform.Fail(Op::FileCreate, ERROR_ACCESS_DENIED, allUsers);
    // Nor may the administrators' journal be made: a change that is refused warns of no journal.
    platform.Fail(Op::CreateSecuredFolder, ERROR_INVALID_OWNER, "\\Tamsel Soft");
  }
  bool Has(HKEY hive, const std::string& key, const std::string& name) {
    return ReadRaw(hive, key, name).has_value();
  }
};

TEST_F(RightsTest, TheScanOpensNothingForWritingAndListsEveryMachineWideEntry) {
  RemoveTree(commonDisabled);
  StandardUser();
  const StartupRows rows = Scan();
  EXPECT_EQ(platform.Calls(Op::OpenKey, "write "), 0);
  EXPECT_EQ(rows.size(), 7u);
  EXPECT_EQ(RowsOf(rows, slCommonStartupFolder, 1).size(), 1u);
  EXPECT_EQ(RowsOf(rows, slMachineRun32, 1).size(), 1u);
  // The all-users parking folder could not be made: no box at every scan for that.
  EXPECT_THAT(report.reports, IsEmpty());
  EXPECT_THAT(report.failures, IsEmpty());
}

TEST_F(RightsTest, ASaveChangesWhatItMayAndReportsEachRefusedRowOnce) {
  RemoveTree(commonDisabled);
  StandardUser();
  StartupRows rows = Scan();
  for (StartupRow& row : rows) row.checked = !row.checked;
  store.ApplyCheckChanges(rows);

  EXPECT_THAT(report.failures, UnorderedElementsAre(Refused("m", false), Refused("w", false), Refused("o", false),
                                                   Refused("c.bat", false), Refused("s", true)));
  EXPECT_THAT(report.reports, IsEmpty());
  // The user's own entries moved; every machine-wide one is still where it was.
  EXPECT_TRUE(Has(kUser, VersionKey("Run-"), "u"));
  EXPECT_TRUE(Exists(userDisabled + "\\u.lnk"));
  EXPECT_TRUE(Has(kMachine, VersionKey("Run"), "m"));
  EXPECT_TRUE(Has(kMachine, Version32Key("Run"), "w"));
  EXPECT_TRUE(Has(kMachine, VersionKey("RunOnce"), "o"));
  EXPECT_TRUE(Has(kMachine, VersionKey("RunServices-"), "s"));
  EXPECT_TRUE(Exists(commonStartup + "\\c.bat"));
  EXPECT_FALSE(Exists(commonDisabled));
}

TEST_F(RightsTest, SwitchingOnAMachineWideFlagOrRemovingIsRefusedAndReported) {
  SetRaw(kMachine, ApprovedKey("Run"), "m", REG_BINARY, kOff.data(), 12);
  StandardUser();
  StartupRows rows = Scan();
  for (StartupRow& row : rows)
    if (row.name == "m") row.checked = true;
  store.ApplyCheckChanges(rows);
  for (const StartupRow& row : rows)
    if (row.name == "w" || row.name == "c.bat") store.RemoveEntry(row);

  EXPECT_THAT(report.failures, UnorderedElementsAre(Refused("m", true), "'w' could not be removed" + kAskAdmin,
                                                   "'c.bat' could not be removed" + kAskAdmin));
  EXPECT_EQ(ReadRaw(kMachine, ApprovedKey("Run"), "m")->data, kOff);
  EXPECT_TRUE(Has(kMachine, Version32Key("Run"), "w"));
  EXPECT_TRUE(Exists(commonStartup + "\\c.bat"));
  EXPECT_THAT(report.reports, IsEmpty());
}

TEST_F(RightsTest, AMissingAllUsersParkingFolderIsMadeByTheChangeThatNeedsIt) {
  platform.Fail(Op::CreateFolder, ERROR_ACCESS_DENIED, commonDisabled, 1);  // only the scan's attempt
  RemoveTree(commonDisabled);
  StartupRows rows = Scan();
  ASSERT_FALSE(Exists(commonDisabled));
  for (StartupRow& row : rows)
    if (row.name == "c.bat") row.checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_TRUE(Exists(commonDisabled + "\\c.bat"));
  EXPECT_EQ(Attributes(commonDisabled) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_THAT(report.reports, IsEmpty());
}

}  // namespace
}  // namespace kestrun::test
