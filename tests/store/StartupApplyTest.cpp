// Applying check marks against the real registry and folders: nothing may ever be lost or changed.
#include <gmock/gmock.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;


std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);  // an empty text could compare equal
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ApplyTest : public StartupPrefixTest {
 protected:
  // Scans, sets every row's check mark, applies, and scans again.
  StartupRows ApplyAll(bool checked) {
    StartupRows rows = Scan();
    for (StartupRow& row : rows) row.checked = checked;
    store.ApplyCheckChanges(rows);
    return Scan();
  }
};

TEST_F(ApplyTest, DisableThenEnableEveryLocationKeepsTypeAndData) {
  SetString(kUser, VersionKey("Run"), "UserRun", "C:\\u.exe /quiet");
  SetString(kMachine, VersionKey("Run"), "MachineRun", "%ProgramFiles%\\Tool\\tool.exe", REG_EXPAND_SZ);
  SetString(kUser, VersionKey("RunServices"), "UserSvc", "C:\\s.exe");
  SetString(kMachine, VersionKey("RunServices"), "Привет", "C:\\日本.exe");
  MakeFile(userStartup + "\\user.lnk", FILE_ATTRIBUTE_NORMAL, "user link bytes");
  MakeFile(commonStartup + "\\日本.bat", FILE_ATTRIBUTE_NORMAL, "@echo common");
  // Type and bytes of every entry, from the live places (suffix "") or the disabled ones ("-").
  const auto contents = [&](const std::string& suffix) {
    std::vector<std::string> all;
    for (const auto& [hive, key, name] : {std::tuple{kUser, "Run", "UserRun"}, {kMachine, "Run", "MachineRun"},
                                          {kUser, "RunServices", "UserSvc"}, {kMachine, "RunServices", "Привет"}}) {
      const auto raw = ReadRaw(hive, VersionKey(key + suffix), name);
      all.push_back(raw ? std::to_string(raw->type) + ": " + raw->data : "missing");
    }
    all.push_back(FileText((suffix.empty() ? userStartup : userDisabled) + "\\user.lnk"));
    all.push_back(FileText((suffix.empty() ? commonStartup : commonDisabled) + "\\日本.bat"));
    return all;
  };
  const std::vector<std::string> live = contents("");
  ASSERT_EQ(live[1].substr(0, 2), std::to_string(REG_EXPAND_SZ) + ":");  // and must stay expandable

  StartupRows rows = ApplyAll(false);
  ASSERT_EQ(rows.size(), 6u);
  for (const StartupRow& row : rows) EXPECT_FALSE(row.checked) << row.name;
  EXPECT_EQ(contents("-"), live);
  EXPECT_EQ(ValueCount(kUser, VersionKey("Run")), 0);
  EXPECT_FALSE(Exists(userStartup + "\\user.lnk"));

  rows = ApplyAll(true);
  ASSERT_EQ(rows.size(), 6u);
  for (const StartupRow& row : rows) EXPECT_TRUE(row.checked) << row.name;
  EXPECT_EQ(contents(""), live);
  EXPECT_EQ(ValueCount(kUser, VersionKey("Run-")), 0);  // the parking key stays, empty
  EXPECT_FALSE(Exists(userDisabled + "\\user.lnk"));
}

TEST_F(ApplyTest, StoredBytesMoveUntouchedWhenTheyAreTheRowsText) {
  SetRaw(kUser, VersionKey("Run"), "Inner", REG_SZ, "C:\\a.exe\0tail", 14);
  ApplyAll(false);
  EXPECT_EQ(ReadRaw(kUser, VersionKey("Run-"), "Inner")->data, std::string("C:\\a.exe\0tail", 14));
}

TEST_F(ApplyTest, UnchangedRowsAndUnknownLocationsTouchNothing) {
  SetString(kUser, VersionKey("Run"), "Tool", "C:\\t.exe");
  MakeFile(userStartup + "\\a.lnk");
  StartupRows rows = Scan();
  rows.push_back({"Stray", "C:\\stray.exe", false, TKStartupEntry(1, 512)});
  platform.ClearLog();
  store.ApplyCheckChanges(rows);
  EXPECT_TRUE(platform.NoCalls());
}

// A copy with other bytes is another entry, and stays (see ExactEntryTest); the same bytes are this one.
TEST_F(ApplyTest, FileWithTheSameBytesInTheTargetIsReplaced) {
  MakeFile(userStartup + "\\a.lnk", FILE_ATTRIBUTE_NORMAL, "same");
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\a.lnk", FILE_ATTRIBUTE_NORMAL, "same");
  ApplyAll(false);
  EXPECT_EQ(FileText(userDisabled + "\\a.lnk"), "same");
  EXPECT_FALSE(Exists(userStartup + "\\a.lnk"));
  EXPECT_THAT(report.failures, IsEmpty());
}

TEST_F(ApplyTest, ValueGoneSinceTheScanIsNotRecreated) {
  SetString(kUser, VersionKey("Run"), "Tool", "C:\\t.exe");
  StartupRows rows = Scan();
  DeleteKey(kUser, VersionKey("Run"));
  rows[0].checked = false;
  store.ApplyCheckChanges(rows);
  EXPECT_EQ(ValueCount(kUser, VersionKey("Run-")), -1);
}

// Whatever step of a move fails, the entry stays in one place or both, never in none.
struct RegistryFault {
  Op op;
  std::string match;
  std::string error;    // what the move raises
  std::string failure;  // what it reports ("" for nothing)
  bool live, parked;    // where the entry is afterwards
  std::vector<std::string> journal;  // the actions the journal's lines hold, a failed change's mark included
};

class RegistryMoveFaultTest : public ApplyTest, public ::testing::WithParamInterface<RegistryFault> {};

TEST_P(RegistryMoveFaultTest, EntryIsNeverLostAndTheJournalHoldsOnlyWhatWasDone) {
  const RegistryFault& fault = GetParam();
  SetString(kUser, VersionKey("Run"), "Tool", "C:\\t.exe");
  StartupRows rows = Scan();
  rows[0].checked = false;
  RemoveTree(store.UserJournal().Folder());
  platform.ClearLog();
  platform.Fail(fault.op, ERROR_ACCESS_DENIED, fault.match);
  EXPECT_EQ(RegistryErrorOf([&] { store.ApplyCheckChanges(rows); }), fault.error);
  EXPECT_GE(platform.Calls(fault.op, fault.match), 1);  // the fault was reached
  EXPECT_EQ(ReadRaw(kUser, VersionKey("Run"), "Tool").has_value(), fault.live);
  EXPECT_EQ(ReadRaw(kUser, VersionKey("Run-"), "Tool").has_value(), fault.parked);
  EXPECT_THAT(report.reports, IsEmpty());
  if (fault.failure.empty())
    EXPECT_THAT(report.failures, IsEmpty());
  else
    EXPECT_THAT(report.failures, ElementsAre(::testing::AllOf(::testing::StartsWith(fault.failure),
                                                              EndsWith(platform.SystemErrorText(ERROR_ACCESS_DENIED)))));
  std::vector<std::string> actions;
  std::istringstream lines(fault.journal.empty() ? "" : FileText(store.UserJournal().FilePath()));
  for (std::string line; std::getline(lines, line);) actions.push_back(ParseJournalLine(line)->action);
  EXPECT_EQ(actions, fault.journal);
  // A change marked failed is no change to undo.
  EXPECT_EQ(store.UserJournal().Read().size(), fault.parked ? 1u : 0u);
}

const std::string kNotDisabled = "'Tool' could not be disabled: ";
INSTANTIATE_TEST_SUITE_P(
    EveryStep, RegistryMoveFaultTest,
    ::testing::Values(RegistryFault{Op::OpenKey, "Run", "no error", kNotDisabled, true, false, {}},
                      RegistryFault{Op::QueryValue, "Tool", "no error", "", true, false, {}},
                      RegistryFault{Op::OpenKey, "Run-", "no error", kNotDisabled, true, false, {}},
                      RegistryFault{Op::SetValue, "Tool", "Failed to set data for 'Tool'", "", true, false,
                                    {"park", "failed"}},
                      RegistryFault{Op::DeleteValue, "Tool", "no error", "'Tool' is now in both places: ", true, true,
                                    {"park"}}));

TEST_F(ApplyTest, FailedFileStepIsReportedOnceAndTheFileNeverLost) {
  for (const char* name : {"\\copy fails.lnk", "\\delete fails.lnk", "\\moves.lnk", "\\unread.lnk"})
    MakeFile(userStartup + name);
  // A copy in the parking place already is compared before it is overwritten: unread, nothing moves.
  MakeFolder(userDisabled);
  MakeFile(userDisabled + "\\unread.lnk");
  platform.Fail(Op::FileMove, ERROR_DISK_FULL, "copy fails.lnk");
  platform.Fail(Op::FileDelete, ERROR_SHARING_VIOLATION, "delete fails.lnk");
  platform.Fail(Op::FileRead, ERROR_ACCESS_DENIED, userStartup + "\\unread.lnk");
  const StartupRows rows = ApplyAll(false);

  EXPECT_THAT(report.reports, UnorderedElementsAre(ReportedError{ERROR_DISK_FULL, userStartup + "\\copy fails.lnk"},
                                                   ReportedError{ERROR_ACCESS_DENIED, userStartup + "\\unread.lnk"}));
  // Left in both places: said as such, not as a plain failure.
  EXPECT_THAT(report.failures, ElementsAre("'delete fails.lnk' is now in both places: it was copied to " +
                                           userDisabled + ", but could not be deleted from " + userStartup + ": " +
                                           platform.SystemErrorText(ERROR_SHARING_VIOLATION)));
  EXPECT_THAT(Flatten(rows), UnorderedElementsAre(
                                 Row{"copy fails.lnk", userStartup + "\\copy fails.lnk", true, 1, 4},
                                 Row{"delete fails.lnk", userStartup + "\\delete fails.lnk", true, 1, 4},
                                 Row{"delete fails.lnk", userDisabled + "\\delete fails.lnk", false, 0, 4},
                                 Row{"moves.lnk", userDisabled + "\\moves.lnk", false, 0, 4},
                                 Row{"unread.lnk", userStartup + "\\unread.lnk", true, 1, 4},
                                 Row{"unread.lnk", userDisabled + "\\unread.lnk", false, 0, 4}));
}

}  // namespace
}  // namespace kestrun::test
