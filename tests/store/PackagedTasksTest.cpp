// Packaged apps' startup tasks against the prefix's registry and a package folder made for each test:
// the manifest's tasks in both namespaces, every State, Task Manager's writes, undo to the exact bytes
// and keys, and manifests that must leave out their package alone.
#include <gmock/gmock.h>

#include "store/AppxManifest.h"
#include "store/ChangeJournal.h"
#include "store/TaskSwitch.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kFull = "Contoso.Chat_1.2.0.0_x64__8wekyb3d8bbwe";
constexpr const char* kFamily = "Contoso.Chat_8wekyb3d8bbwe";
constexpr const char* kPackages = "C:\\kestrun-packages";
constexpr const char* kDesktop = "http://schemas.microsoft.com/appx/manifest/desktop/windows10";
constexpr const char* kUap5 = "http://schemas.microsoft.com/appx/manifest/uap/windows10/5";

std::string Task(const std::string& prefix, const std::string& id, const std::string& name, bool enabled) {
  return "<" + prefix + ":StartupTask TaskId='" + id + "' DisplayName='" + name + "' Enabled='" +
         (enabled ? "true" : "false") + "'/>";
}

// A manifest of one application (bin\chat.exe): desktop tasks, and uap5 tasks whose extension names
// its own executable (bin\helper.exe).
std::string Manifest(const std::string& desktopTasks, const std::string& uap5Tasks = {}) {
  return std::string("<?xml version='1.0' encoding='utf-8'?>\n<Package xmlns='http://schemas.microsoft.com/appx/"
                     "manifest/foundation/windows10' xmlns:desktop='") + kDesktop + "' xmlns:uap5='" + kUap5 +
         "'><Identity Name='Contoso.Chat' Version='1.2.0.0'/><Properties><DisplayName>Contoso Chat</DisplayName>"
         "</Properties><Applications><Application Id='App' Executable='bin\\chat.exe'><Extensions>"
         "<desktop:Extension Category='windows.startupTask'>" + desktopTasks + "</desktop:Extension>"
         "<uap5:Extension Category='windows.startupTask' Executable='bin/helper.exe'>" + uap5Tasks +
         "</uap5:Extension></Extensions></Application></Applications></Package>";
}

std::string StateKey(const std::string& task, const std::string& family = kFamily) {
  return std::string(kAppModelKey) + "\\SystemAppData\\" + family + "\\" + task;
}

std::string State(DWORD number) { return std::string(reinterpret_cast<const char*>(&number), sizeof number); }

class PackagedTasksTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    RemoveTree(kPackages);
    RemoveTree(store.UserJournal().Folder());
  }
  void TearDown() override {
    RemoveTree(kPackages);
    RemoveTree(store.UserJournal().Folder());
    StartupPrefixTest::TearDown();
  }
  // The package's folder with its manifest, registered for the user.
  static std::string AddPackage(const std::string& full, const std::string& manifest) {
    const std::string folder = std::string(kPackages) + "\\" + full;
    MakeFolder(kPackages);
    test::AddPackage(folder, full, manifest);
    return folder;
  }
  StartupRow Only(const std::string& name) {
    for (const StartupRow& row : Scan())
      if (row.name == name) return row;
    throw std::runtime_error("no row " + name);
  }
  bool Switch(const std::string& name, bool enable) {
    Action action = store.Begin();
    return store.ApplyChange(action, Only(name), enable);
  }
  bool UndoLast() {
    const std::vector<JournalRecord> records = store.UserJournal().Read();
    return !records.empty() && store.UndoAction({&records.back()});
  }
};

TEST_F(PackagedTasksTest, EveryStateAndBothNamespacesListedAsWindowsStartsThem) {
  std::string tasks = Task("desktop", "Res", "ms-resource:StartupName", true) + Task("desktop", "NoKey", "No key", false) +
                      Task("desktop", "NoValue", "No value", true);
  // The manifest says the opposite of each state: the user's switch wins.
  for (int state = 0; state <= 4; ++state)
    tasks += Task("desktop", "S" + std::to_string(state), "State " + std::to_string(state), state % 2 == 0);
  const std::string folder = AddPackage(kFull, Manifest(tasks, Task("uap5", "Helper", "Helper", true)));
  SetString(kUser, StateKey("NoValue"), "Other", "x");
  for (DWORD state = 0; state <= 4; ++state) SetDword(kUser, StateKey("S" + std::to_string(state)), "State", state);
  const std::string chat = folder + "\\bin\\chat.exe";
  const auto row = [&](const char* name, bool on, const std::string& path) { return Row{name, path, on, on, 512}; };
  // The resource cannot be resolved under Wine: the package's display name stands in.
  EXPECT_THAT(Flatten(Scan()),
              ElementsAre(row("Contoso Chat", true, chat), row("No key", false, chat), row("No value", true, chat),
                          row("State 0", false, chat), row("State 1", false, chat), row("State 2", true, chat),
                          row("State 3", false, chat), row("State 4", true, chat),
                          row("Helper", true, folder + "\\bin\\helper.exe")));
  EXPECT_EQ(Only("State 4").Origin(), std::string("Package ") + kFull + " (set by policy)");
  EXPECT_EQ(Only("No key").Source(), "HKCU\\" + StateKey("NoKey"));
  EXPECT_THAT(report.reports, IsEmpty());
}

TEST_F(PackagedTasksTest, NamesComeFromTheShellThenThePackageThenTheTaskId) {
  platform.indirectStrings["@{" + std::string(kFull) + "?ms-resource://Contoso.Chat/Resources/StartupName}"] = "Chat";
  AddPackage(kFull, Manifest(Task("desktop", "Res", "ms-resource:StartupName", true)));
  EXPECT_EQ(Scan().front().name, "Chat");
  AddPackage(kFull, Manifest(Task("desktop", "Res", "ms-resource:Other", true)));
  EXPECT_EQ(Scan().front().name, "Contoso Chat");
  AddPackage(kFull, "<Package><Properties><DisplayName>ms-resource:Name</DisplayName></Properties><Applications>"
                    "<Application><Extensions><Extension Category='windows.startupTask'><desktop:StartupTask xmlns:"
                    "desktop='" + std::string(kDesktop) + "' TaskId='Id'/></Extension></Extensions></Application>"
                    "</Applications></Package>");
  EXPECT_EQ(Scan().front().name, "Id");
  for (const auto& [reference, uri] :
       {std::pair{"ms-resource:Key", "ms-resource://P/Resources/Key"}, {"MS-RESOURCE:a/b", "ms-resource://P/a/b"},
        {"ms-resource:/a/b", "ms-resource://P/a/b"}, {"ms-resource://Q/x", "ms-resource://Q/x"}})
    EXPECT_EQ(ResourceUri(reference, "P"), uri) << reference;
  for (const auto& [full, family] : {std::pair{kFull, kFamily}, {"A_1_x86_~_p", "A_p"}, {"A_1_x86__", ""}, {"A", ""}})
    EXPECT_EQ(FamilyNameOf(full), family) << full;
}

TEST_F(PackagedTasksTest, SwitchesWriteWhatTaskManagerWritesAndPolicyIsRefused) {
  AddPackage(kFull, Manifest(Task("desktop", "On", "On", true) + Task("desktop", "Off", "Off", false) +
                             Task("desktop", "P3", "P3", true) + Task("desktop", "P4", "P4", false)));
  SetDword(kUser, StateKey("P3"), "State", 3);
  SetDword(kUser, StateKey("P4"), "State", 4);
  EXPECT_TRUE(Switch("On", false));
  EXPECT_TRUE(Switch("Off", true));
  EXPECT_EQ(ReadRaw(kUser, StateKey("On"), "State")->data, State(1));
  EXPECT_EQ(ReadRaw(kUser, StateKey("Off"), "State")->data, State(2));
  EXPECT_FALSE(Switch("P3", true));
  EXPECT_FALSE(Switch("P4", false));
  EXPECT_THAT(report.failures, ElementsAre("'P3' could not be enabled: set by policy",
                                           "'P4' could not be disabled: set by policy"));
  EXPECT_EQ(ReadRaw(kUser, StateKey("P3"), "State")->data, State(3));
  EXPECT_EQ(ReadRaw(kUser, StateKey("P4"), "State")->data, State(4));
  std::vector<std::string> started;
  for (const StartupRow& row : Scan())
    if (StartsAtLogOn(row)) started.push_back(row.name);
  EXPECT_THAT(started, ElementsAre("Off", "P4"));
  // A switch another program made since the scan is not overwritten.
  const StartupRow on = Only("Off");
  SetDword(kUser, StateKey("Off"), "State", 0);
  Action action = store.Begin();
  EXPECT_FALSE(store.ApplyChange(action, on, false));
  EXPECT_THAT(report.failures.back(), HasSubstr("changed by another program"));
}

TEST_F(PackagedTasksTest, UndoPutsBackExactlyWhatWasThereKeysIncluded) {
  AddPackage(kFull, Manifest(Task("desktop", "T", "T", true)));
  const std::string key = StateKey("T"), parent = key.substr(0, key.rfind('\\'));
  const std::string text = std::string("o\0d\0d\0\0\0", 8);
  const std::vector<std::pair<const char*, std::function<void()>>> befores{
      {"no parent key", [] {}},
      {"no key", [&] { SetString(kUser, parent, "Other", "x"); }},
      {"no value", [&] { SetString(kUser, key, "Other", "x"); }},
      {"a state", [&] { SetDword(kUser, key, "State", 0); }},
      {"a text Windows ignores", [&] { SetRaw(kUser, key, "State", REG_SZ, text.data(), 8); }},
  };
  for (const auto& [what, seed] : befores) {
    DeleteKey(kUser, std::string(kAppModelKey) + "\\SystemAppData");
    seed();
    const std::optional<RawValue> before = ReadRaw(kUser, key, "State");
    const int values = ValueCount(kUser, key), parentValues = ValueCount(kUser, parent);
    EXPECT_TRUE(Switch("T", !StartsAtLogOn(Only("T")))) << what;
    EXPECT_TRUE(UndoLast()) << what << ::testing::PrintToString(report.failures);
    const std::optional<RawValue> after = ReadRaw(kUser, key, "State");
    EXPECT_EQ(after.has_value(), before.has_value()) << what;
    if (before && after) {
      EXPECT_EQ(after->data, before->data) << what;
    }
    EXPECT_EQ(ValueCount(kUser, key), values) << what;
    EXPECT_EQ(ValueCount(kUser, parent), parentValues) << what;
    // And the undo undone: the switch is back.
    EXPECT_TRUE(UndoLast()) << what << ::testing::PrintToString(report.failures);
    EXPECT_EQ(ReadRaw(kUser, key, "State")->type, static_cast<DWORD>(REG_DWORD)) << what;
  }
}

TEST_F(PackagedTasksTest, BadManifestsLeaveOutTheirPackageAloneWithOneMessageAndNoWrite) {
  const std::string good = Manifest(Task("desktop", "T", "Good", true));
  const std::string cut = good.substr(0, good.find("<Properties>"));  // Wine's reader loops at this end
  const std::vector<std::pair<std::string, std::string>> cases{
      {std::string(3u << 20, ' '), "larger than 2 MiB"},
      {[] {
         std::string deep;
         for (int i = 0; i < 10000; ++i) deep += "<a>";
         return deep;
       }(),
       "more than 64 deep"},
      {cut, "no whole XML document"},
      {"\x01\x02 no xml", "no whole XML document"},
      {"<!DOCTYPE Package [<!ENTITY e SYSTEM 'file:///C:/windows/win.ini'>]><Package>&e;</Package>", "DTD"},
      {"<Package><Applications></Package>", "no well-formed XML"},
  };
  for (const auto& [manifest, why] : cases) {
    report.reports.clear();
    DeleteKey(kUser, kAppModelKey);
    AddPackage("Bad_1_x64__b", manifest);
    AddPackage(kFull, good);
    platform.ClearLog();
    EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"Good", std::string(kPackages) + "\\" + kFull + "\\bin\\chat.exe",
                                                 true, 1, 512})) << why;
    ASSERT_EQ(report.reports.size(), 1u) << why;
    EXPECT_THAT(report.reports[0].subject, HasSubstr("the package Bad_1_x64__b is left out: C:\\kestrun-packages\\Bad_1_x64__b\\AppxManifest.xml: ")) << why;
    EXPECT_THAT(report.reports[0].subject, HasSubstr(why));
    EXPECT_EQ(platform.Calls(Op::OpenKey, "write ") + platform.Calls(Op::SetValue), 0) << why;
  }
  const std::string manifest = std::string(kPackages) + "\\Bad_1_x64__b\\AppxManifest.xml";
  RemoveTree(manifest);
  MakeFolder(manifest);  // unreadable: a folder
  report.reports.clear();
  EXPECT_EQ(Scan().size(), 1u);
  EXPECT_EQ(report.reports.size(), 1u);
}

TEST_F(PackagedTasksTest, RemoveIsRefusedAndUndoTrustsOnlyATaskOfAnInstalledPackage) {
  AddPackage(kFull, Manifest(Task("desktop", "T", "Chat", true)));
  store.RemoveEntry(Only("Chat"));
  EXPECT_THAT(report.failures, ElementsAre(HasSubstr("uninstall the app")));
  EXPECT_THAT(store.RemoveRefusal(Only("Chat")), HasSubstr("uninstall"));
  const auto forged = [](const std::string& key, const char* name) {
    JournalRecord record;
    record.id = 7, record.action = "switch-off", record.location = slPackagedTasks, record.name = name;
    record.from = AbsentSide(kUser, "\\" + key, Absent::Key);
    record.to = RegistrySide(kUser, "\\" + key, {"State", REG_DWORD, State(1)});
    return record;
  };
  for (const auto& [record, why] :
       {std::pair{forged(StateKey("T", "Other_pub"), "Chat"), "no package installed for this user"},
        {forged(StateKey("T"), "Other name"), "no package installed for this user"},
        {forged(StateKey("T") + "\\deeper", "Chat"), "is not a key of Packaged Apps"},
        {forged("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Chat"), "is not a key of Packaged Apps"}}) {
    SetDword(kUser, record.to->place.substr(5), "State", 1);
    report.failures.clear();
    EXPECT_FALSE(store.UndoAction({&record}));
    EXPECT_THAT(report.failures, ElementsAre(HasSubstr(why))) << record.to->place;
    EXPECT_TRUE(ReadRaw(kUser, record.to->place.substr(5), "State")) << record.to->place;
  }
  // Places that park never record an absence.
  JournalRecord park = forged(std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Run"), "Chat");
  park.action = "park", park.location = slUserRun, park.from->place = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run-";
  report.failures.clear();
  EXPECT_FALSE(store.UndoAction({&park}));
  EXPECT_THAT(report.failures, ElementsAre(HasSubstr("always has a value")));
  const JournalRecord own = forged(StateKey("T"), "Chat");
  const std::optional<JournalRecord> line = ParseJournalLine(FormatJournalLine(own));
  ASSERT_TRUE(line);
  EXPECT_TRUE(SameSide(line->from, own.from) && line->from->absent == Absent::Key);
  EXPECT_FALSE(ParseJournalLine(R"({"id":1,"action":"switch-off","name":"A","from":{"place":"HKCU\\k","absent":"x"}})"));
}

}  // namespace
}  // namespace kestrun::test
