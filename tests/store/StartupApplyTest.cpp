// Applying check marks against the real registry and folders: nothing may ever be lost or changed.
#include <fstream>
#include <sstream>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ApplyTest : public StartupPrefixTest {
 protected:
  // Scans, sets every row of the location to checked, applies, and scans again.
  TStartupRows ApplyAll(int location, bool checked) {
    TStartupRows rows = Scan();
    for (TStartupRow& row : rows)
      if (row.Record.GetLocation() == location) row.Checked = checked;
    store.ApplyCheckChanges(rows);
    return Scan();
  }

  // One entry of every kind, each with data that must survive the round trip exactly.
  void SeedEveryLocation() {
    SetString(HKEY_CURRENT_USER, VersionKey("Run"), "UserRun", "C:\\u.exe /quiet");
    SetString(HKEY_LOCAL_MACHINE, VersionKey("Run"), "MachineRun", "%ProgramFiles%\\Tool\\tool.exe",
              REG_EXPAND_SZ);
    SetString(HKEY_CURRENT_USER, VersionKey("RunServices"), "UserSvc", "C:\\s.exe");
    SetString(HKEY_LOCAL_MACHINE, VersionKey("RunServices"), "Привет", "C:\\日本.exe");
    WriteFile(userStartup + "\\user.lnk", "user link bytes");
    WriteFile(commonStartup + "\\common.bat", "@echo common");
  }
};

struct Snapshot {
  std::optional<RawValue> userRun, machineRun, userSvc, machineSvc;
  std::string userFile, commonFile;
};

Snapshot Take(const std::string& userFolder, const std::string& commonFolder, const char* suffix) {
  const std::string s = suffix;
  return {ReadRaw(HKEY_CURRENT_USER, VersionKey("Run" + s), "UserRun"),
          ReadRaw(HKEY_LOCAL_MACHINE, VersionKey("Run" + s), "MachineRun"),
          ReadRaw(HKEY_CURRENT_USER, VersionKey("RunServices" + s), "UserSvc"),
          ReadRaw(HKEY_LOCAL_MACHINE, VersionKey("RunServices" + s), "Привет"),
          FileText(userFolder + "\\user.lnk"), FileText(commonFolder + "\\common.bat")};
}

void ExpectSame(const Snapshot& a, const Snapshot& b) {
  for (auto [x, y] : {std::pair{&a.userRun, &b.userRun}, {&a.machineRun, &b.machineRun},
                      {&a.userSvc, &b.userSvc}, {&a.machineSvc, &b.machineSvc}}) {
    ASSERT_TRUE(x->has_value() && y->has_value());
    EXPECT_EQ((*x)->type, (*y)->type);
    EXPECT_EQ((*x)->data, (*y)->data);
  }
  EXPECT_EQ(a.userFile, b.userFile);
  EXPECT_EQ(a.commonFile, b.commonFile);
}

TEST_F(ApplyTest, DisableThenEnableEveryLocationKeepsTypeAndData) {
  SeedEveryLocation();
  const Snapshot live = Take(userStartup, commonStartup, "");
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, VersionKey("Run-")));

  TStartupRows rows = Scan();
  for (TStartupRow& row : rows) row.Checked = false;
  store.ApplyCheckChanges(rows);
  rows = Scan();
  ASSERT_EQ(rows.size(), 6u);
  for (const TStartupRow& row : rows) EXPECT_FALSE(row.Checked) << row.Name;
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, VersionKey("Run")), 0);
  EXPECT_FALSE(Exists(userStartup + "\\user.lnk"));
  ExpectSame(live, Take(userDisabled, commonDisabled, "-"));
  // Parked, the expandable string must stay expandable, or it would no longer start its program.
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, VersionKey("Run-"), "MachineRun")->type, DWORD(REG_EXPAND_SZ));

  for (TStartupRow& row : rows) row.Checked = true;
  store.ApplyCheckChanges(rows);
  rows = Scan();
  ASSERT_EQ(rows.size(), 6u);
  for (const TStartupRow& row : rows) EXPECT_TRUE(row.Checked) << row.Name;
  ExpectSame(live, Take(userStartup, commonStartup, ""));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, VersionKey("Run-")), 0);  // the parking key stays, empty
}

TEST_F(ApplyTest, StoredBytesMoveUntouchedWhenTheyAreTheRowsText) {
  SetRaw(HKEY_CURRENT_USER, VersionKey("Run"), "Inner", REG_SZ, "C:\\a.exe\0tail", 14);
  ApplyAll(slUserRun, false);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, VersionKey("Run-"), "Inner")->data, std::string("C:\\a.exe\0tail", 14));
}

TEST_F(ApplyTest, UnchangedRowsAndUnknownLocationsTouchNothing) {
  SeedEveryLocation();
  TStartupRows rows = Scan();
  rows.push_back({"Stray", "C:\\stray.exe", false, TKStartupEntry(1, 64)});
  platform.ClearLog();
  store.ApplyCheckChanges(rows);
  EXPECT_TRUE(platform.Log().empty());
}

TEST_F(ApplyTest, SameNameInTargetIsReplacedAndOtherHiveUntouched) {
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Tool", "C:\\new.exe");
  SetString(HKEY_CURRENT_USER, VersionKey("Run-"), "Tool", "C:\\old.exe");
  SetString(HKEY_LOCAL_MACHINE, VersionKey("Run"), "Tool", "C:\\machine.exe");
  const TStartupRows rows = ApplyAll(slUserRun, false);
  EXPECT_EQ(RowsOf(rows, slUserRun, 0), (std::vector<Row>{{"Tool", "C:\\new.exe", false, 0, slUserRun}}));
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, VersionKey("Run"), "Tool")->data, std::string("C:\\machine.exe", 15));
}

TEST_F(ApplyTest, ValueGoneSinceTheScanIsNotRecreated) {
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Tool", "C:\\t.exe");
  TStartupRows rows = Scan();
  DeleteKey(HKEY_CURRENT_USER, VersionKey("Run"));
  rows[0].Checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, VersionKey("Run-")));
  EXPECT_TRUE(Scan().empty());
}

// Whatever step of a registry move fails, the entry stays in one place or both, never in none.
struct RegistryFault {
  Op op;
  std::string match;
  bool throws;
};

class RegistryMoveFaultTest : public ApplyTest, public ::testing::WithParamInterface<RegistryFault> {};

TEST_P(RegistryMoveFaultTest, EntryIsNeverLost) {
  SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Tool", "C:\\t.exe");
  TStartupRows rows = Scan();
  rows[0].Checked = false;
  platform.Fail(GetParam().op, ERROR_ACCESS_DENIED, GetParam().match);
  try {
    store.ApplyCheckChanges(rows);
    EXPECT_FALSE(GetParam().throws) << "no error raised";
  } catch (const ERegistryError& e) {
    EXPECT_TRUE(GetParam().throws);
    EXPECT_STREQ(e.what(), "Failed to set data for 'Tool'");
  }
  platform.Heal();
  const bool live = ReadRaw(HKEY_CURRENT_USER, VersionKey("Run"), "Tool").has_value();
  const bool parked = ReadRaw(HKEY_CURRENT_USER, VersionKey("Run-"), "Tool").has_value();
  EXPECT_TRUE(live || parked);
  EXPECT_TRUE(report.reports.empty());  // registry moves never show a box
}

INSTANTIATE_TEST_SUITE_P(EveryStep, RegistryMoveFaultTest,
                         ::testing::Values(RegistryFault{Op::OpenKey, "Run", false},
                                           RegistryFault{Op::QueryValue, "Tool", false},
                                           RegistryFault{Op::OpenKey, "Run-", false},
                                           RegistryFault{Op::SetValue, "Tool", true},
                                           RegistryFault{Op::DeleteValue, "Tool", false}));

TEST_F(ApplyTest, FailedCopyIsReportedOnceAndFileStays) {
  WriteFile(userStartup + "\\a.lnk", "a");
  WriteFile(userStartup + "\\b.lnk", "b");
  TStartupRows rows = Scan();
  for (TStartupRow& row : rows) row.Checked = false;
  platform.Fail(Op::FileCopy, ERROR_DISK_FULL, "a.lnk");
  store.ApplyCheckChanges(rows);
  EXPECT_EQ(report.reports, (std::vector<ReportedError>{{ERROR_DISK_FULL, userStartup + "\\a.lnk"}}));
  EXPECT_TRUE(Exists(userStartup + "\\a.lnk"));
  EXPECT_TRUE(Exists(userDisabled + "\\b.lnk"));  // the walk went on
}

TEST_F(ApplyTest, FailedDeleteLeavesTheFileInBothFolders) {
  WriteFile(commonStartup + "\\a.lnk", "a");
  platform.Fail(Op::FileDelete, ERROR_SHARING_VIOLATION);
  const TStartupRows rows = ApplyAll(slCommonStartupFolder, false);
  EXPECT_EQ(report.reports.size(), 1u);
  EXPECT_EQ(RowsOf(rows, slCommonStartupFolder, 1).size(), 1u);
  EXPECT_EQ(RowsOf(rows, slCommonStartupFolder, 0).size(), 1u);
}

TEST_F(ApplyTest, TargetFileOfTheSameNameIsOverwritten) {
  WriteFile(userStartup + "\\a.lnk", "new");
  MakeFolder(userDisabled);
  WriteFile(userDisabled + "\\a.lnk", "old");
  ApplyAll(slUserStartupFolder, false);
  EXPECT_EQ(FileText(userDisabled + "\\a.lnk"), "new");
}

}  // namespace
}  // namespace kestrun::test
