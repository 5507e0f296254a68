// Scheduled tasks that start at log-on or boot: task files written into the prefix's Tasks folder
// (every encoding Windows and other writers leave), hostile files, and switching through a Task
// Scheduler the test plays (Wine's takes a switch and keeps nothing: tests/cli/cli_test.sh).
#include <gmock/gmock.h>

#include <map>
#include <tuple>

#include "base/Text.h"
#include "store/EntryTarget.h"
#include "store/TaskDefinition.h"
#include "store/TaskScan.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

enum class Encoding { Utf16, Utf8Mark, Utf8 };

constexpr const char* kNotepad = "<Exec><Command>C:\\windows\\notepad.exe</Command><Arguments>/a</Arguments></Exec>";

// Declared UTF-16 whatever the bytes: many real files are so.
std::string TaskXml(const std::string& triggers, const std::string& actions = kNotepad,
                    const std::string& settings = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\" "
         "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers>" + triggers +
         "</Triggers><Settings>" + settings + "</Settings><Actions Context=\"Author\">" + actions + "</Actions></Task>";
}

std::string Exec(const std::string& command, const std::string& arguments = "") {
  return "<Exec><Command>" + command + "</Command>" + (arguments.empty() ? "" : "<Arguments>" + arguments + "</Arguments>") +
         "</Exec>";
}

std::string Encoded(const std::string& xml, Encoding encoding) {
  if (encoding == Encoding::Utf8) return xml;
  if (encoding == Encoding::Utf8Mark) return "\xEF\xBB\xBF" + xml;
  const std::wstring wide = ToWide(xml);
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

class ScheduledTaskTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    tasks_ = TasksFolder(platform);  // as the file system spells it (Wine: "system32\\tasks")
    RemoveTree(tasks_ + "\\Kestrun");
    earlier_ = TaskRecords().size();
  }
  void TearDown() override {
    RemoveTree(tasks_ + "\\Kestrun");
    StartupPrefixTest::TearDown();
  }

  void Write(const std::string& taskPath, const std::string& bytes) {
    for (size_t slash = taskPath.find('\\', 1); slash != std::string::npos; slash = taskPath.find('\\', slash + 1))
      MakeFolder(tasks_ + taskPath.substr(0, slash));
    MakeFile(tasks_ + taskPath, FILE_ATTRIBUTE_NORMAL, bytes);
  }
  void WriteTask(const std::string& taskPath, const std::string& xml, Encoding encoding = Encoding::Utf16) {
    Write(taskPath, Encoded(xml, encoding));
  }

  // A Task Scheduler that keeps a switch as Windows' does: its state, and the file rewritten.
  void PlayScheduler(std::map<std::string, bool> states) {
    states_ = std::move(states);
    platform.taskEnabled = [this](const std::string& path, bool& enabled) {
      const auto found = states_.find(path);
      if (found == states_.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
      enabled = found->second;
      return S_OK;
    };
    platform.enableTask = [this](const std::string& path, bool enabled) {
      ++switches_;
      Switch(path, enabled);
      return S_OK;
    };
  }
  void Switch(const std::string& path, bool enabled) {
    states_[path] = enabled;
    WriteTask(path, TaskXml("<LogonTrigger/>", kNotepad, enabled ? "" : "<Enabled>false</Enabled>"));
  }

  std::vector<Row> Tasks() { return RowsOf(Scan(), slScheduledTasks, 1); }
  // This test's: the machine's journal lives as long as the prefix.
  std::vector<JournalRecord> TaskRecords() {
    std::vector<JournalRecord> records;
    for (JournalRecord& record : store.ReadJournal(true))
      if (record.location == slScheduledTasks) records.push_back(std::move(record));
    records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(std::min(earlier_, records.size())));
    return records;
  }
  StartupRow TaskRow(const std::string& name) {
    for (const StartupRow& row : Scan())
      if (row.name == name) return row;
    ADD_FAILURE() << name << " is not listed";
    return {{}, {}, false, TKStartupEntry(0, 0)};
  }

  std::string tasks_;
  std::map<std::string, bool> states_;
  int switches_ = 0;
  size_t earlier_ = 0;
};

TEST_F(ScheduledTaskTest, ListsEachTaskThatStartsAProgramAtLogOnOrBootForThisUser) {
  const UserIdentity me = platform.CurrentUser();
  ASSERT_FALSE(me.name.empty());
  ASSERT_FALSE(me.sid.empty());
  const std::string logon = "<LogonTrigger/>";
  struct Case {
    std::string path, xml;
    Encoding encoding;
    bool listed;
  };
  const Case cases[] = {
      {"\\Kestrun\\Utf16", TaskXml(logon), Encoding::Utf16, true},
      {"\\Kestrun\\Utf8 marked", TaskXml("<LogonTrigger><Enabled>true</Enabled></LogonTrigger>"), Encoding::Utf8Mark, true},
      {"\\Kestrun\\Utf8", TaskXml(logon), Encoding::Utf8, true},
      {"\\Kestrun\\Boot", TaskXml("<TimeTrigger/><BootTrigger/>"), Encoding::Utf16, true},
      {"\\Kestrun\\Me", TaskXml("<LogonTrigger><UserId>" + me.domain + "\\" + me.name + "</UserId></LogonTrigger>"),
       Encoding::Utf16, true},
      {"\\Kestrun\\My SID", TaskXml("<LogonTrigger><UserId>" + me.sid + "</UserId></LogonTrigger>"), Encoding::Utf8, true},
      {"\\Kestrun\\Vendor\\In a folder", TaskXml(logon), Encoding::Utf16, true},
      {"\\Kestrun\\Trigger off", TaskXml("<LogonTrigger><Enabled>false</Enabled></LogonTrigger>"), Encoding::Utf16, false},
      {"\\Kestrun\\Other user", TaskXml("<LogonTrigger><UserId>ELSEWHERE\\someone</UserId></LogonTrigger>"),
       Encoding::Utf16, false},
      {"\\Kestrun\\Other SID", TaskXml("<LogonTrigger><UserId>S-1-5-21-1-2-3-1001</UserId></LogonTrigger>"),
       Encoding::Utf16, false},
      {"\\Kestrun\\Timed", TaskXml("<TimeTrigger><StartBoundary>2020-01-01T08:00:00</StartBoundary></TimeTrigger>"),
       Encoding::Utf16, false},
      {"\\Kestrun\\COM",
       TaskXml(logon, "<ComHandler><ClassId>{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}</ClassId></ComHandler>"),
       Encoding::Utf16, false},
  };
  std::vector<std::string> wanted;
  for (const Case& c : cases) {
    WriteTask(c.path, c.xml, c.encoding);
    if (c.listed) wanted.push_back(c.path);
  }
  WriteTask("\\Kestrun\\Switched off", TaskXml(logon, kNotepad, "<Enabled>false</Enabled>"));

  const StartupRows rows = Scan();
  std::vector<std::string> names;
  for (const Row& row : RowsOf(rows, slScheduledTasks, 1)) {
    names.push_back(row.name);
    EXPECT_EQ(row.path, "C:\\windows\\notepad.exe /a");
    EXPECT_TRUE(row.checked) << row;
  }
  EXPECT_THAT(names, ::testing::UnorderedElementsAreArray(wanted));
  // Settings/Enabled false: listed unticked, and "disabled" to the console tool as to the window.
  EXPECT_THAT(RowsOf(rows, slScheduledTasks, 0),
              ElementsAre(Row{"\\Kestrun\\Switched off", "C:\\windows\\notepad.exe /a", false, 0, slScheduledTasks}));
  EXPECT_THAT(report.reports, ::testing::IsEmpty());
}

TEST_F(ScheduledTaskTest, CommandsShowAsWrittenAndResolveAsTheSchedulerStartsThem) {
  MakeFolder("C:\\Program Files\\Kestrun Task");
  MakeFile("C:\\Program Files\\Kestrun Task\\agent.exe");
  struct Case {
    std::string name, command, arguments, path, executable, resolvedArguments;
    bool exists;
  };
  const Case cases[] = {
      {"Variables", "%SystemRoot%\\notepad.exe", "/x %SystemRoot%", "%SystemRoot%\\notepad.exe /x %SystemRoot%",
       "C:\\windows\\notepad.exe", "/x C:\\windows", true},
      // The program is Command whole, blanks and all: no other program can be started in its place.
      {"Blanks", "C:\\Program Files\\Kestrun Task\\agent.exe", "", "C:\\Program Files\\Kestrun Task\\agent.exe",
       "C:\\Program Files\\Kestrun Task\\agent.exe", "", true},
      {"Quoted", "\"C:\\Program Files\\Kestrun Task\\agent.exe\"", "-q", "\"C:\\Program Files\\Kestrun Task\\agent.exe\" -q",
       "C:\\Program Files\\Kestrun Task\\agent.exe", "-q", true},
      {"Stray quote", "\"C:\\windows\\notepad.exe", "", "\"C:\\windows\\notepad.exe", "C:\\windows\\notepad.exe", "", true},
      {"Split", "C:\\Program", "Files\\Kestrun Task\\agent.exe", "C:\\Program Files\\Kestrun Task\\agent.exe",
       "C:\\Program", "Files\\Kestrun Task\\agent.exe", false},
      {"Placeholder", "notepad.exe", "$(Arg0) -q $(Arg12)", "notepad.exe $(Arg0) -q $(Arg12)", "C:\\windows\\notepad.exe",
       "-q", true},
  };
  for (const Case& c : cases) WriteTask("\\Kestrun\\" + c.name, TaskXml("<BootTrigger/>", Exec(c.command, c.arguments)));
  TargetResolver resolver(platform);
  for (const Case& c : cases) {
    const StartupRow row = TaskRow("\\Kestrun\\" + c.name);
    EXPECT_EQ(row.path, c.path) << c.name;
    EXPECT_EQ(resolver.Resolve(row), (EntryTarget{c.executable, c.resolvedArguments, c.exists, false})) << c.name;
  }
  RemoveTree("C:\\Program Files\\Kestrun Task");
}

TEST_F(ScheduledTaskTest, AFileTooLargeTooDeepMalformedOrWithADtdHidesOnlyItselfWithOneMessage) {
  WriteTask("\\Kestrun\\Good", TaskXml("<LogonTrigger/>"));
  std::string nested;
  for (int i = 0; i < 10000; ++i) nested += "<a>";
  for (int i = 0; i < 10000; ++i) nested += "</a>";
  const std::string whole = TaskXml("<LogonTrigger/>");
  const std::map<std::string, std::string> bad{
      {"Huge", Encoded(TaskXml("<LogonTrigger/>", kNotepad, "<!--" + std::string(20 << 20, 'x') + "-->"), Encoding::Utf8)},
      {"Deep", nested},
      {"Cut short", Encoded(whole.substr(0, whole.size() / 2), Encoding::Utf16)},
      {"Left open", "<Task><Triggers><LogonTrigger/>"},  // Wine's reader then repeats the last element for ever
      {"Entity", "<?xml version=\"1.0\"?><!DOCTYPE Task [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>"
                 "<Task><Triggers><LogonTrigger/></Triggers><Actions>" + Exec("&x;") + "</Actions></Task>"},
      {"Not a task", "<Other/>"},
  };
  for (const auto& [name, bytes] : bad) Write("\\Kestrun\\" + name, bytes);
  EXPECT_THAT(Tasks(), ElementsAre(Row{"\\Kestrun\\Good", "C:\\windows\\notepad.exe /a", true, 1, slScheduledTasks}));
  ASSERT_EQ(report.reports.size(), bad.size());
  const std::map<std::string, std::string> why{{"Huge", "larger than 1 MiB"}, {"Deep", "deeper than 16 levels"},
                                               {"Cut short", "not well-formed XML"}, {"Left open", "not well-formed XML"},
                                               {"Entity", "document type definition"},
                                               {"Not a task", "it is no task"}};
  for (const auto& [name, reason] : why)
    EXPECT_EQ(std::count_if(report.reports.begin(), report.reports.end(),
                            [&](const ReportedError& said) {
                              return said.subject.find(tasks_ + "\\Kestrun\\" + name + " is not listed: ") !=
                                         std::string::npos &&
                                     said.subject.find(reason) != std::string::npos;
                            }),
              1)
        << name;
}

// The bytes a task file's document reaches the reader as: cut from UTF-16LE files as they are, the same
// as through its text.
TEST(TaskDocumentTest, UnmarkedOrMarkedUtf16GivesTheReaderWhatItsTextWould) {
  const auto utf16 = [](const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  };
  const std::wstring bodies[] = {
      L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task/>", L"<?xml?><Task/>", L"<?xml\t?>", L"<?xml",
      L"<?xml ", L"<?xmlx?><Task/>", L"<?xml\u00e9?><Task/>", L"<?xml <Task/>", L"<Task>\u00e9\U0001F600</Task>",
      L"<Task>\xD800x\xDC00</Task>", std::wstring(L"<Task>\0</Task>", 14), L"", L"<",
  };
  for (const std::wstring& body : bodies)
    for (const std::string& bytes : {"\xFF\xFE" + utf16(body), utf16(body), "\xFF\xFE" + utf16(body) + "x"}) {
      EXPECT_EQ(TaskDocumentBytes(bytes), Utf16Document(TaskDocumentText(bytes))) << FromWide(body);
    }
  for (const std::string& bytes : {std::string("\xFE\xFF\0<\0T\0/\0>", 10), std::string("\xEF\xBB\xBF<?xml?><T/>"),
                                  std::string("<?xml version='1.0'?><T/>"), std::string("\xFF"), std::string()})
    EXPECT_EQ(TaskDocumentBytes(bytes), Utf16Document(TaskDocumentText(bytes)));
}

TEST_F(ScheduledTaskTest, WhereTheFolderCannotBeReadTheSchedulerListsTheTasksWithOneLine) {
  WriteTask("\\Kestrun\\From the file", TaskXml("<LogonTrigger/>"));
  platform.Fail(Op::ListFolder, ERROR_ACCESS_DENIED, "\\Kestrun");
  platform.listTasks = [](std::vector<TaskDocument>& tasks) {
    tasks = {{"\\Vendor\\Agent", TaskXml("<LogonTrigger/>", Exec("C:\\agent.exe"))},
             {"\\Vendor\\Timed", TaskXml("<TimeTrigger/>")}, {"C:\\not\\a task path", TaskXml("<LogonTrigger/>")}};
    return S_OK;
  };
  const StartupRows rows = Scan();
  EXPECT_THAT(RowsOf(rows, slScheduledTasks, 1),
              ElementsAre(Row{"\\Vendor\\Agent", "C:\\agent.exe", true, 1, slScheduledTasks}));
  EXPECT_THAT(report.reports, ElementsAre(ReportedError{0, "some scheduled tasks need administrator rights to be seen"}));
  // Where the scheduler cannot say either, the files that could be read are listed.
  platform.listTasks = [](std::vector<TaskDocument>&) { return E_NOTIMPL; };
  EXPECT_EQ(RowsOf(Scan(), slScheduledTasks, 1).size(), 0u);
}

TEST_F(ScheduledTaskTest, ASwitchGoesThroughTheSchedulerIsReadBackJournalledAndUndone) {
  WriteTask("\\Kestrun\\Updater", TaskXml("<LogonTrigger/>"));
  PlayScheduler({{"\\Kestrun\\Updater", true}});
  StartupRows rows = Scan();
  ASSERT_EQ(RowsOf(rows, slScheduledTasks, 1).size(), 1u);
  for (StartupRow& row : rows) row.checked = row.record.GetLocation() != slScheduledTasks;
  store.ApplyCheckChanges(rows);
  EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"\\Kestrun\\Updater", "C:\\windows\\notepad.exe /a", false, 0, slScheduledTasks}));
  std::vector<JournalRecord> records = TaskRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].action, "switch-off");
  EXPECT_EQ(records[0].name, "\\Kestrun\\Updater");
  ASSERT_TRUE(records[0].from && records[0].to);
  EXPECT_EQ(std::tie(records[0].from->isTask, records[0].from->enabled, records[0].to->enabled),
            std::make_tuple(true, true, false));
  EXPECT_EQ(records[0].to->place, tasks_);

  EXPECT_TRUE(store.UndoAction({&records[0]}));
  EXPECT_TRUE(states_["\\Kestrun\\Updater"]);
  EXPECT_EQ(Tasks().size(), 1u);
  records = TaskRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].undoes, records[0].id);
  EXPECT_THAT(report.failures, ::testing::IsEmpty());
  // Switched again by someone else since: that undo would lose their change.
  Switch("\\Kestrun\\Updater", false);
  EXPECT_FALSE(store.UndoAction({&records[1]}));
  EXPECT_THAT(report.failures, ElementsAre(HasSubstr("was switched since")));
}

TEST_F(ScheduledTaskTest, ASwitchThatDoesNotTakeIsSaidAndLeavesNoRecord) {
  WriteTask("\\Kestrun\\Stuck", TaskXml("<LogonTrigger/>"));
  PlayScheduler({{"\\Kestrun\\Stuck", true}});
  const std::pair<HRESULT, const char*> refusals[] = {
      {S_OK, "the Task Scheduler accepted the change, but the task is still enabled"},  // Wine's
      {E_ACCESSDENIED, "needs administrator rights"},
      {static_cast<HRESULT>(0x80041315), "the Task Scheduler service is not running"},
  };
  for (const auto& [result, why] : refusals) {
    platform.enableTask = [result](const std::string&, bool) { return result; };
    report.failures.clear();
    Action action = store.Begin();
    EXPECT_FALSE(store.ApplyChange(action, TaskRow("\\Kestrun\\Stuck"), false));
    EXPECT_THAT(report.failures, ElementsAre(AllOf(HasSubstr("'\\Kestrun\\Stuck' could not be disabled: "), HasSubstr(why))));
  }
  EXPECT_TRUE(TaskRecords().empty());
  EXPECT_EQ(Tasks().size(), 1u);
}

TEST_F(ScheduledTaskTest, UndoTrustsOnlyASwitchOfATaskInTheTaskFolderAndRemoveIsRefused) {
  WriteTask("\\Kestrun\\Kept", TaskXml("<LogonTrigger/>"));
  PlayScheduler({{"\\Kestrun\\Kept", false}});
  const std::string& folder = tasks_;
  JournalRecord forged;
  forged.id = 7;
  forged.machine = true;
  forged.action = "switch-off";
  forged.location = slScheduledTasks;
  const std::pair<JournalSide, const char*> sides[] = {
      {TaskSide(folder, "\\Kestrun\\..\\Kept", true), "is not the task the record names"},
      {TaskSide("C:\\elsewhere", "\\Kestrun\\Kept", true), "is not the folder of Scheduled Tasks"},
      {RegistrySide(HKEY_LOCAL_MACHINE, "\\Software\\Kestrun", {}), "is not a task of Scheduled Tasks"},
  };
  for (const auto& [side, why] : sides) {
    forged.name = side.path.rfind('\\', 0) == 0 ? side.path : "\\Kestrun\\Kept";
    forged.from = side;
    forged.to = TaskSide(folder, forged.name, false);
    report.failures.clear();
    EXPECT_FALSE(store.UndoAction({&forged}));
    EXPECT_THAT(report.failures, ElementsAre(HasSubstr(why)));
  }
  EXPECT_EQ(switches_, 0);

  const StartupRow row = TaskRow("\\Kestrun\\Kept");
  EXPECT_THAT(store.RemoveRefusal(row), HasSubstr("delete the task in Task Scheduler"));
  report.failures.clear();
  store.RemoveEntry(row);
  EXPECT_THAT(report.failures, ElementsAre(HasSubstr("'\\Kestrun\\Kept' could not be removed: Kestrun does not delete")));
  EXPECT_TRUE(Exists(tasks_ + "\\Kestrun\\Kept"));
}

}  // namespace
}  // namespace kestrun::test
