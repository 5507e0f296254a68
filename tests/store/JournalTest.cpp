// The journal against the real registry and folders: every change recorded before it is made, and
// undone byte for byte; torn lines, rotation, and a journal that cannot be written.
#include <gmock/gmock.h>

#include <algorithm>
#include <functional>

#include "base/Base64.h"
#include "base/Text.h"
#include "store/AdminFolder.h"
#include "store/StartupApproved.h"
#include "store/StartupShortcut.h"
#include "store/UndoGraph.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Matcher;
using ::testing::SizeIs;

class JournalTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    folder = store.UserJournal().Folder();
    ASSERT_THAT(folder, HasSubstr("\\Tamsel Soft\\Kestrun"));
    RemoveTree(folder);
    machineFolder = store.MachineJournal().Folder();
    vendorFolder = machineFolder.substr(0, machineFolder.rfind('\\'));
    RemoveTree(vendorFolder);
  }
  void TearDown() override {
    RemoveTree(folder);
    RemoveTree(vendorFolder);
    StartupPrefixTest::TearDown();
  }

  const StartupRow& Find(const StartupRows& rows, const std::string& name) {
    for (const StartupRow& row : rows)
      if (row.name == name) return row;
    throw std::runtime_error("no row " + name);
  }
  void Park(const std::string& name) {
    StartupRows rows = Scan();
    for (StartupRow& row : rows)
      if (row.name == name) row.checked = false;
    store.ApplyCheckChanges(rows);
  }
  std::vector<JournalRecord> Records() { return store.UserJournal().Read(); }
  struct Undone {
    bool done;
    std::string reason;  // the refusal's line
  };
  Undone Undo(const JournalRecord& record) {
    const size_t said = report.failures.size();
    const bool done = store.UndoAction({&record});
    return {done, report.failures.size() > said ? report.failures.back() : ""};
  }
  std::string Bytes(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(platform.ReadFileData(path, bytes), ERROR_SUCCESS) << path;
    return bytes;
  }

  std::string folder;
  std::string machineFolder;  // %ProgramData%\Tamsel Soft\Kestrun
  std::string vendorFolder;   // %ProgramData%\Tamsel Soft
};

TEST(Base64, RoundTripsEveryLengthAndRefusesNonsense) {
  std::string bytes;
  for (int i = 0; i < 70; ++i) {
    EXPECT_EQ(DecodeBase64(EncodeBase64(bytes)), bytes);
    bytes += static_cast<char>(i * 37);
  }
  EXPECT_EQ(EncodeBase64("Man"), "TWFu");
  EXPECT_EQ(EncodeBase64("Ma"), "TWE=");
  for (const char* bad : {"TWF", "TW=u", "T===", "TW-u"}) EXPECT_FALSE(DecodeBase64(bad)) << bad;
}

TEST_F(JournalTest, RemovedExpandableValueComesBackWithItsExactBytes) {
  // Expandable, and with bytes after its NUL that no string read would keep.
  const std::string seed("%SystemRoot%\\tool.exe /x\0tail", 29);
  SetRaw(kUser, VersionKey("Run"), "Tool", REG_EXPAND_SZ, seed.data(), static_cast<DWORD>(seed.size()));
  const std::string data = ReadWide(kUser, VersionKey("Run"), L"Tool")->data;  // as the registry keeps them
  store.RemoveEntry(Find(Scan(), "Tool"));
  ASSERT_FALSE(ReadRaw(kUser, VersionKey("Run"), "Tool"));

  const std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(1));
  EXPECT_EQ(records[0].action, "remove");
  EXPECT_EQ(records[0].program, "window");
  EXPECT_EQ(records[0].from->place, "HKCU\\" + VersionKey("Run"));
  EXPECT_EQ(records[0].from->type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(records[0].from->data, data);

  const Undone undo = Undo(records[0]);
  ASSERT_TRUE(undo.done) << undo.reason;
  const auto back = ReadWide(kUser, VersionKey("Run"), L"Tool");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(back->data, data);
  const std::vector<JournalRecord> after = Records();
  ASSERT_THAT(after, SizeIs(2));
  EXPECT_EQ(after[1].action, "undo");
  EXPECT_EQ(after[1].undoes, after[0].id);
  EXPECT_EQ(UndoneBy(after).at(after[0].id), after[1].id);
  // A second undo of the same change finds the value back in its place and refuses.
  EXPECT_FALSE(Undo(records[0]).done);
  EXPECT_THAT(report.reports, IsEmpty());
}

TEST_F(JournalTest, ANameNoJsonCanHoldComesBackAsItself) {
  // A lone surrogate: beside it, a name that differs only where JSON would have to replace it.
  const std::wstring lone = L"x\xD800", replaced = L"x\xFFFD";
  SetWide(kUser, VersionKey("Run"), lone, L"C:\\a.exe");
  SetWide(kUser, VersionKey("Run"), replaced, L"C:\\b.exe");
  store.RemoveEntry(Find(Scan(), FromWide(lone)));
  ASSERT_FALSE(ReadWide(kUser, VersionKey("Run"), lone));
  const std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(1));
  EXPECT_EQ(records[0].name, FromWide(lone));
  ASSERT_TRUE(Undo(records[0]).done);
  EXPECT_EQ(ReadWide(kUser, VersionKey("Run"), lone)->data, Utf16Bytes(L"C:\\a.exe"));
  EXPECT_EQ(ReadWide(kUser, VersionKey("Run"), replaced)->data, Utf16Bytes(L"C:\\b.exe"));
}

TEST_F(JournalTest, RemovedStartupFileComesBackFromItsCopy) {
  const std::string bytes("\x4c\0\0\0 link \xff\x01 bytes", 19);
  MakeFile(userStartup + "\\Tool.lnk", FILE_ATTRIBUTE_NORMAL, bytes);
  store.RemoveEntry(Find(Scan(), "Tool.lnk"));
  ASSERT_FALSE(Exists(userStartup + "\\Tool.lnk"));
  const std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(1));
  EXPECT_EQ(records[0].from->backup, folder + "\\removed\\" + std::to_string(records[0].id) + "\\Tool.lnk");
  EXPECT_EQ(Bytes(records[0].from->backup), bytes);

  ASSERT_TRUE(Undo(records[0]).done);
  EXPECT_EQ(Bytes(userStartup + "\\Tool.lnk"), bytes);
  // Undoing the undo deletes it again, keeping a copy of its own.
  const JournalRecord undo = Records().back();
  ASSERT_TRUE(Undo(undo).done);
  EXPECT_FALSE(Exists(userStartup + "\\Tool.lnk"));
  EXPECT_EQ(Bytes(Records().back().from->backup), bytes);
}

TEST_F(JournalTest, ParkIsUndoneAndAChangeSinceIsRespected) {
  SetString(kUser, VersionKey("Run"), "A", "C:\\a.exe");
  SetString(kUser, VersionKey("Run"), "B", "C:\\b.exe");
  Park("A");
  Park("B");
  std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(2));
  EXPECT_EQ(records[0].action, "park");
  EXPECT_EQ(records[0].to->place, "HKCU\\" + VersionKey("Run-"));

  ASSERT_TRUE(Undo(records[0]).done);
  EXPECT_EQ(ReadRaw(kUser, VersionKey("Run"), "A")->data, std::string("C:\\a.exe", 9));
  EXPECT_FALSE(ReadRaw(kUser, VersionKey("Run-"), "A"));

  // Someone edits the parked B: undoing the park would lose that edit.
  SetString(kUser, VersionKey("Run-"), "B", "C:\\edited.exe");
  const Undone refused = Undo(records[1]);
  EXPECT_FALSE(refused.done);
  EXPECT_THAT(refused.reason, HasSubstr("changed since"));
  EXPECT_EQ(ReadRaw(kUser, VersionKey("Run-"), "B")->data, std::string("C:\\edited.exe", 14));
  EXPECT_THAT(Records(), SizeIs(3));  // the refusal wrote nothing
}

TEST_F(JournalTest, UndoingACreatedShortcutDeletesItAndBringsBackTheOneItReplaced) {
  const auto create = [&](const std::string& name) {
    const CreateShortcutResult result = store.CreateStartupShortcut("C:\\windows\\notepad.exe", name);
    ASSERT_EQ(result.outcome, coWritten);
    ASSERT_EQ(result.status, S_OK);
  };
  create("New");
  ASSERT_TRUE(Exists(userStartup + "\\New.lnk"));
  MakeFile(userStartup + "\\Old.lnk", FILE_ATTRIBUTE_NORMAL, "the old link's bytes");
  create("Old");
  ASSERT_NE(Bytes(userStartup + "\\Old.lnk"), "the old link's bytes");

  const std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(2));
  EXPECT_EQ(records[0].action, "create");
  EXPECT_FALSE(records[0].from);
  EXPECT_FALSE(records[0].replaced);
  ASSERT_TRUE(records[1].replaced);
  ASSERT_TRUE(Undo(records[1]).done);
  EXPECT_EQ(Bytes(userStartup + "\\Old.lnk"), "the old link's bytes");
  ASSERT_TRUE(Undo(records[0]).done);
  EXPECT_FALSE(Exists(userStartup + "\\New.lnk"));
  EXPECT_THAT(report.reports, IsEmpty());
}

// Windows' own switch is journalled too: ticking writes it over the bytes it replaced, removing
// deletes it after saying what it held, and undo puts back exactly those bytes.
TEST_F(JournalTest, StartupApprovedWritesAreJournalledAndUndoneByteForByte) {
  const std::string off("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12);
  SetString(kUser, VersionKey("Run"), "Off", "c:\\x.exe");
  SetRaw(kUser, ApprovedKey("Run"), "Off", REG_BINARY, off.data(), static_cast<DWORD>(off.size()));
  StartupRows rows = Scan();
  for (StartupRow& row : rows)
    if (row.name == "Off") row.checked = true;
  store.ApplyCheckChanges(rows);
  std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(1));
  EXPECT_EQ(records[0].action, "switch-on");
  ASSERT_TRUE(records[0].to && records[0].replaced);
  EXPECT_EQ(records[0].to->data, std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(records[0].replaced->data, off);
  ASSERT_TRUE(Undo(records[0]).done);
  EXPECT_EQ(ReadRaw(kUser, ApprovedKey("Run"), "Off")->data, off);

  store.RemoveEntry(Find(Scan(), "Off"));
  records = Records();
  ASSERT_THAT(records, SizeIs(4));  // the switch, its undo, the removal and the flag's
  EXPECT_EQ(records[3].action, "remove-flag");
  ASSERT_TRUE(records[3].from);
  EXPECT_EQ(records[3].from->data, off);
  EXPECT_FALSE(ReadRaw(kUser, ApprovedKey("Run"), "Off"));
  ASSERT_TRUE(Undo(records[3]).done);
  EXPECT_EQ(ReadRaw(kUser, ApprovedKey("Run"), "Off")->data, off);
}

// Bringing back a parked entry under a disabling flag is one operation: one undo step reverses both
// records, and that undo (the flag's bytes put back over the ones written) can be undone in turn.
TEST_F(JournalTest, OneOperationIsOneUndoStepAndItsUndoCanBeUndone) {
  const std::string off("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12);
  SetString(kUser, VersionKey("Run-"), "P", "c:\\p.exe");
  SetRaw(kUser, ApprovedKey("Run"), "P", REG_BINARY, off.data(), static_cast<DWORD>(off.size()));
  StartupRows rows = Scan();
  for (StartupRow& row : rows) row.checked = row.checked || row.name == "P";
  store.ApplyCheckChanges(rows);
  std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(2));
  const auto undoLast = [&] {
    records = Records();
    EXPECT_TRUE(store.UndoAction(ActionSteps(records, UndoneBy(records), records.back()))) << ::testing::PrintToString(report.failures);
  };
  undoLast();
  EXPECT_TRUE(ReadRaw(kUser, VersionKey("Run-"), "P"));
  EXPECT_EQ(ReadRaw(kUser, ApprovedKey("Run"), "P")->data, off);
  undoLast();
  EXPECT_TRUE(ReadRaw(kUser, VersionKey("Run"), "P"));
  EXPECT_EQ(ReadRaw(kUser, ApprovedKey("Run"), "P")->data, EnabledApprovalBytes());
  EXPECT_THAT(Records(), SizeIs(6));
}

// One undo step is judged whole before anything moves: a record refused leaves the others as they
// are. Records of one step may hang together (the parked twin removed, then the live one parked over
// its place): each is judged as the step's newer undos will leave things.
TEST_F(JournalTest, AnUndoStepIsCheckedWholeBeforeAnyOfItChanges) {
  for (const char* name : {"A", "B", "C"}) SetString(kUser, VersionKey("Run"), name, std::string("C:\\") + name);
  StartupRows rows = Scan();
  for (StartupRow& row : rows) row.checked = false;
  store.ApplyCheckChanges(rows);  // one Save: one step of three
  SetString(kUser, VersionKey("Run-"), "A", "C:\\edited.exe");  // the oldest, checked last
  std::vector<JournalRecord> records = Records();
  ASSERT_THAT(records, SizeIs(3));
  EXPECT_EQ(store.UndoAction(ActionSteps(records, UndoneBy(records), records.back())), 0u);
  EXPECT_THAT(report.failures, ElementsAre(AllOf(HasSubstr("cannot undo #1 park 'A' (HKCU Run), nor the other"),
                                                 HasSubstr("changed since"))));
  for (const char* name : {"B", "C"}) EXPECT_TRUE(ReadRaw(kUser, VersionKey("Run-"), name)) << name;
  EXPECT_THAT(Records(), SizeIs(3));

  MakeFolder(userDisabled);
  MakeFile(userStartup + "\\T.lnk", FILE_ATTRIBUTE_NORMAL, "live");
  MakeFile(userDisabled + "\\T.lnk", FILE_ATTRIBUTE_NORMAL, "parked");
  rows = Scan();
  {
    Action action = store.Begin();
    const auto parked = std::find_if(rows.rbegin(), rows.rend(), [](auto& row) { return row.name == "T.lnk"; });
    ASSERT_TRUE(store.RemoveEntry(action, *parked));  // as disable --replace does
    ASSERT_TRUE(store.ApplyChange(action, Find(rows, "T.lnk"), false));
  }
  records = Records();
  EXPECT_EQ(store.UndoAction(ActionSteps(records, UndoneBy(records), records.back())), 2u);
  EXPECT_EQ(Bytes(userStartup + "\\T.lnk"), "live");
  EXPECT_EQ(Bytes(userDisabled + "\\T.lnk"), "parked");
}

TEST_F(JournalTest, ATornLastLineIsPassedOverAndTheNextLineStartsClean) {
  SetString(kUser, VersionKey("Run"), "A", "C:\\a.exe");
  SetString(kUser, VersionKey("Run"), "B", "C:\\b.exe");
  Park("A");
  const std::string file = store.UserJournal().FilePath();
  ASSERT_EQ(platform.AppendFile(file, "{\"id\":2,\"time\":\"2026-"), ERROR_SUCCESS);  // power cut
  ASSERT_THAT(Records(), SizeIs(1));

  Journal other(platform, "console");  // another program: nothing cached about the file
  StartupStore console(platform, report, "console");
  StartupRows rows;
  console.LoadStartupList(rows);
  for (StartupRow& row : rows)
    if (row.name == "B") row.checked = false;
  console.ApplyCheckChanges(rows);
  const std::vector<JournalRecord> records = other.Read();
  ASSERT_THAT(records, SizeIs(2));
  EXPECT_EQ(records[1].id, 2);
  EXPECT_EQ(records[1].program, "console");
  EXPECT_EQ(records[1].name, "B");
}

TEST_F(JournalTest, AFullJournalIsRotatedKeepingOneOldFile) {
  SetString(kUser, VersionKey("Run"), "A", "C:\\a.exe");
  Park("A");
  const std::string file = store.UserJournal().FilePath();
  const std::string old = store.UserJournal().OldFilePath();
  // Fill it past 1 MiB with real lines, then make one more change.
  std::string line = FormatJournalLine(Records()[0]) + "\n";
  std::string filler;
  while (filler.size() < kJournalRotateBytes) filler += line;
  ASSERT_EQ(platform.AppendFile(file, filler), ERROR_SUCCESS);
  platform.AppendFile(old, "stale\n");  // the one old file is replaced, never a second one kept
  SetString(kUser, VersionKey("Run"), "B", "C:\\b.exe");
  platform.Fail(Op::FileMove, ERROR_SHARING_VIOLATION, "journal.jsonl");  // rotation refused: the park goes on
  Park("B");
  EXPECT_TRUE(ReadRaw(kUser, VersionKey("Run-"), "B"));
  ASSERT_THAT(report.reports, SizeIs(1));
  EXPECT_EQ(report.reports[0].code, static_cast<ErrorCode>(ERROR_SHARING_VIOLATION));
  platform.Heal();
  SetString(kUser, VersionKey("Run"), "B", "C:\\b.exe");
  Park("B");

  std::uint64_t size = 0;
  ASSERT_EQ(platform.FileSize(file, size), ERROR_SUCCESS);
  EXPECT_LT(size, 1024u);
  ASSERT_EQ(platform.FileSize(old, size), ERROR_SUCCESS);
  EXPECT_GE(size, kJournalRotateBytes);
  const std::vector<JournalRecord> records = Records();
  EXPECT_EQ(records.back().name, "B");
  EXPECT_EQ(records.back().id, 2);
  EXPECT_EQ(records.size(), filler.size() / line.size() + 2);
}

TEST_F(JournalTest, WithoutAJournalParkingGoesOnAndRemovingIsRefused) {
  platform.Fail(Op::FileWrite, ERROR_DISK_FULL, "journal.jsonl");
  SetString(kUser, VersionKey("Run"), "A", "C:\\a.exe");
  SetString(kUser, VersionKey("Run"), "B", "C:\\b.exe");
  MakeFile(userStartup + "\\C.lnk");
  StartupRows rows = Scan();
  for (StartupRow& row : rows) row.checked = row.name == "C.lnk";
  store.ApplyCheckChanges(rows);  // two parks, one warning
  EXPECT_TRUE(ReadRaw(kUser, VersionKey("Run-"), "A"));
  EXPECT_TRUE(ReadRaw(kUser, VersionKey("Run-"), "B"));
  ASSERT_THAT(report.reports, SizeIs(1));
  EXPECT_THAT(report.reports[0].subject, HasSubstr("cannot be undone"));

  report.reports.clear();
  rows = Scan();
  store.RemoveEntry(Find(rows, "C.lnk"));
  store.RemoveEntry(Find(rows, "A"));
  EXPECT_TRUE(Exists(userStartup + "\\C.lnk"));
  EXPECT_TRUE(ReadRaw(kUser, VersionKey("Run-"), "A"));
  ASSERT_THAT(report.reports, SizeIs(2));
  EXPECT_THAT(report.reports[0].subject, HasSubstr("'C.lnk' was not removed"));
  EXPECT_THAT(report.reports[1].subject, HasSubstr("'A' was not removed"));
  EXPECT_THAT(Records(), IsEmpty());

  // Once an action, every action: a command that brings both back warns once, and so does the next.
  report.reports.clear();
  rows = Scan();
  {
    Action action = store.Begin();
    EXPECT_TRUE(store.ApplyChange(action, Find(rows, "A"), true));
    EXPECT_TRUE(store.ApplyChange(action, Find(rows, "B"), true));
  }
  EXPECT_THAT(report.reports, SizeIs(1));
  Action next = store.Begin();
  EXPECT_TRUE(store.ApplyChange(next, Find(Scan(), "A"), false));
  EXPECT_THAT(report.reports, SizeIs(2));
}

TEST_F(JournalTest, ARemoveWhoseCopyCannotBeWrittenIsNotCarriedOut) {
  MakeFile(userStartup + "\\Tool.lnk", FILE_ATTRIBUTE_NORMAL, "old link");
  platform.Fail(Op::FileWrite, ERROR_DISK_FULL, "\\removed\\");
  // Nor a new shortcut written over it, which undo could never take back.
  EXPECT_EQ(store.CreateStartupShortcut("C:\\windows\\notepad.exe", "Tool").status, E_ABORT);
  EXPECT_THAT(report.failures, ElementsAre(HasSubstr("'Tool.lnk' was not replaced: the journal in " + folder)));
  EXPECT_EQ(Bytes(userStartup + "\\Tool.lnk"), "old link");
  store.RemoveEntry(Find(Scan(), "Tool.lnk"));
  EXPECT_TRUE(Exists(userStartup + "\\Tool.lnk"));
  ASSERT_THAT(report.reports, SizeIs(1));
  EXPECT_EQ(report.reports[0].code, static_cast<ErrorCode>(ERROR_DISK_FULL));
  EXPECT_THAT(report.reports[0].subject, HasSubstr("'Tool.lnk' was not removed"));
  EXPECT_THAT(Records(), IsEmpty());  // and no line promises a copy that is not there
  // Nor into a folder that was there before (left by a try, or planted by another program).
  platform.Heal();
  MakeFile(folder + "\\removed\\1\\Tool.lnk", FILE_ATTRIBUTE_NORMAL, "planted");
  store.RemoveEntry(Find(Scan(), "Tool.lnk"));
  EXPECT_EQ(Bytes(folder + "\\removed\\1\\Tool.lnk"), "planted");
  ASSERT_THAT(Records(), SizeIs(1));
  EXPECT_EQ(Records()[0].from->backup, folder + "\\removed\\3\\Tool.lnk");  // 2: the remove's try
}

TEST_F(JournalTest, UndoRefusesARecordThatNamesAnythingButItsOwnPlace) {
  SetString(kUser, VersionKey("Run"), "A", "C:\\a.exe");
  Park("A");
  MakeFile(userStartup + "\\T.lnk", FILE_ATTRIBUTE_NORMAL, "link");
  store.RemoveEntry(Find(Scan(), "T.lnk"));
  const std::vector<JournalRecord> real = Records();
  ASSERT_THAT(real, SizeIs(2));
  const std::vector<std::pair<size_t, std::function<void(JournalRecord&)>>> forgeries{
      {0, [](JournalRecord& r) { r.from->place = "HKLM\\" + VersionKey("Run"); }},
      {0, [](JournalRecord& r) { r.from->place = "HKLM\\System\\CurrentControlSet\\Services\\EvilSvc"; }},
      {0, [](JournalRecord& r) { r.to->place = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"; }},
      {0, [](JournalRecord& r) { r.name = "A\n"; }},
      {1, [](JournalRecord& r) { r.from->path = "C:\\windows\\system32\\T.lnk"; }},
      {1, [](JournalRecord& r) { r.from->place = "C:\\windows\\system32"; r.from->path = r.from->place + "\\T.lnk"; }},
      {1, [&](JournalRecord& r) { r.name = "..\\..\\T.lnk", r.from->path = userStartup + "\\" + r.name; }},
      {1, [](JournalRecord& r) { r.from->backup = "C:\\windows\\win.ini"; }},
      {1, [](JournalRecord& r) { r.location = slUserRun; }},
  };
  for (const auto& [which, forge] : forgeries) {
    JournalRecord record = real[which];
    forge(record);
    platform.ClearLog();
    const Undone undo = Undo(record);
    EXPECT_FALSE(undo.done) << FormatJournalLine(record);
    EXPECT_EQ(platform.Calls(Op::SetValue) + platform.Calls(Op::FileCreate) + platform.Calls(Op::FileWrite), 0);
  }
  EXPECT_TRUE(Undo(real[1]).done);
  EXPECT_TRUE(Undo(real[0]).done);
}

TEST_F(JournalTest, MachineWideChangesAreJournalledForAdministratorsAloneAndUndoneOnlyFromThere) {
  SetString(kMachine, VersionKey("Run"), "M", "C:\\m.exe");
  MakeFile(commonStartup + "\\C.lnk", FILE_ATTRIBUTE_NORMAL, "link");
  Park("M");
  store.RemoveEntry(Find(Scan(), "C.lnk"));
  EXPECT_THAT(Records(), IsEmpty());
  const std::vector<JournalRecord> machine = store.MachineJournal().Read();
  ASSERT_THAT(machine, SizeIs(2));
  EXPECT_TRUE(machine[0].machine);
  EXPECT_EQ(machine[1].from->backup, machineFolder + "\\removed\\2\\C.lnk");
  for (const std::string& level : {vendorFolder, machineFolder})
    EXPECT_GE(platform.Calls(Op::CreateSecuredFolder, level + " " + kAdminOnlySddl), 1) << level;
  // The same records in the journal any program of the user can write are never undone.
  for (JournalRecord copy : machine) {
    copy.machine = false;
    platform.ClearLog();
    EXPECT_THAT(Undo(copy).reason, HasSubstr("administrators keep"));
    EXPECT_EQ(platform.Calls(Op::SetValue) + platform.Calls(Op::FileCreate) + platform.Calls(Op::FileWrite), 0);
  }
  EXPECT_TRUE(Undo(machine[1]).done);
  EXPECT_TRUE(Undo(machine[0]).done);
  EXPECT_EQ(Bytes(commonStartup + "\\C.lnk"), "link");
  EXPECT_TRUE(ReadRaw(kMachine, VersionKey("Run"), "M"));
  EXPECT_THAT(store.MachineJournal().Read(), SizeIs(4));
  EXPECT_THAT(Records(), IsEmpty());
}

TEST_F(JournalTest, AMachineJournalFolderAnotherAccountCouldWriteIsRefusedWithTheReason) {
  SetString(kMachine, VersionKey("Run"), "M", "C:\\m.exe");
  SetString(kMachine, VersionKey("Run"), "N", "C:\\n.exe");
  // As Windows would read back a folder a user's program made first.
  platform.folderSecurity = "O:S-1-5-21-1-2-3-1000D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;S-1-5-21-1-2-3-1000)";
  Park("M");  // goes ahead, with the warning
  EXPECT_TRUE(ReadRaw(kMachine, VersionKey("Run-"), "M"));
  store.RemoveEntry(Find(Scan(), "N"));  // refused
  EXPECT_TRUE(ReadRaw(kMachine, VersionKey("Run"), "N"));
  ASSERT_THAT(report.reports, SizeIs(2));
  for (const ReportedError& reported : report.reports)
    EXPECT_THAT(reported.subject, AllOf(HasSubstr(vendorFolder + " is not for administrators alone"),
                                        HasSubstr("its owner is S-1-5-21-1-2-3-1000")));
  EXPECT_THAT(store.MachineJournal().Read(), IsEmpty());
  EXPECT_THAT(store.MachineJournal().Refusal(), HasSubstr("not for administrators alone"));
  // Once the folder is the administrators' own, it is used and read.
  platform.folderSecurity = "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
  store.RemoveEntry(Find(Scan(), "N"));
  EXPECT_FALSE(ReadRaw(kMachine, VersionKey("Run"), "N"));
  EXPECT_THAT(store.MachineJournal().Read(), SizeIs(1));
  EXPECT_THAT(Records(), IsEmpty());
}

TEST(AdminFolder, OnlyAdministratorsAndSystemMayWriteIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", ""},
      {"O:SYD:P(A;OICI;FA;;;S-1-5-32-544)(D;OICI;FA;;;WD)", ""},
      {"O:DAD:P(A;OICI;FA;;;BA)", "its owner is DA"},
      {"O:BAD:AI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", "takes entries from the folder above"},
      {"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;WD)", "gives WD access"},
      {"O:BAD:P(A;OICIIO;GA;;;CO)", "gives CO access"},
      {"O:BAD:NO_ACCESS_CONTROL", "no access list"},
      {"O:BAD:P(XA;;FA;;;WD;(x))", "not allowed here"},
      {"O:BAD:P(A;;FA;;;BA", "cannot be read"},
      {"D:P(A;;FA;;;BA)", "cannot be read"},
  };
  for (const auto& [sddl, why] : cases)
    EXPECT_THAT(WhyNotAdminOnly(sddl), *why ? Matcher<std::string>(HasSubstr(why)) : IsEmpty()) << sddl;
}

TEST(JournalLines, OnlyWellFormedRecordsAndTrueUndosCount) {
  for (const char* bad : {R"({"id":1e300,"action":"park","name":"A"})", R"({"id":-2,"action":"park","name":"A"})",
                          R"({"id":"3","action":"park","name":"A"})", R"({"id":3,"action":"run","name":"A"})",
                          R"({"id":3,"action":"undo","undoes":2.5,"name":"A"})",
                          R"({"id":18446744073709551615,"action":"park","name":"A"})",
                          // Numbers cut to 32 bits would name another type or place.
                          R"({"id":3,"action":"remove","location":4294967297,"name":"A"})",
                          R"({"id":3,"action":"remove","name":"A","from":{"place":"HKCU\\Run","type":4294967297,"data":""}})",
                          R"({"id":3,"action":"remove","name":"A","from":{"place":"HKCU\\Run","type":-1,"data":""}})",
                          R"({"id":3,"action":"remove","name":"A","from":{"place":"HKCU\\Run","type":1.5,"data":""}})"})
    EXPECT_FALSE(ParseJournalLine(bad)) << bad;
  const auto record = [](std::int64_t id, const char* action, std::int64_t undoes) {
    JournalRecord r;
    r.id = id, r.action = action, r.location = 1, r.name = "A", r.undoes = undoes;
    return r;
  };
  JournalRecord park = record(1, "park", 0), forged = record(2, "undo", 1), undo = record(3, "undo", 1);
  park.from = RegistrySide(kUser, "Run", {"A", REG_SZ, "a"});
  park.to = RegistrySide(kUser, "Run-", {"A", REG_SZ, "a"});
  undo.from = park.to, undo.to = park.from;
  EXPECT_THAT(UndoneBy({park, forged}), IsEmpty());
  EXPECT_EQ(UndoneBy({park, forged, undo}), (std::map<std::int64_t, std::int64_t>{{1, 3}}));
}

}  // namespace
}  // namespace kestrun::test
