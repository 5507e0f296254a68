// A run of park, bring back, remove, undo, create and Save stopped at every platform call in turn, by a
// failure or by the process dying there: nothing is lost or cut short, the journal claims nothing that
// was not done, and running the same again ends where an uninterrupted run ends.
#include <gmock/gmock.h>

#include <algorithm>
#include <optional>
#include <set>
#include <sstream>

#include "base/Text.h"
#include "store/UndoGraph.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using Where = std::vector<std::optional<std::string>>;  // an entry's bytes in its live place, its parking place

// Where each entry lies, and a fingerprint of its bytes there, for comparing and reading.
std::string Summary(const std::vector<Where>& state) {
  std::string text;
  for (const Where& where : state) {
    for (const auto& bytes : where)
      text += bytes ? std::to_string(bytes->size()) + "#" + std::to_string(std::hash<std::string>{}(*bytes) % 1000) : "-";
    text += " ";
  }
  return text;
}

std::optional<std::string> ValueBytes(HKEY hive, const std::string& key, const std::string& name) {
  const std::optional<RawValue> raw = ReadRaw(hive, key, name);
  return raw ? std::optional(std::to_string(raw->type) + ":" + raw->data) : std::nullopt;
}

// A string value's record as ValueBytes gives it: its type, and its text through the narrow API.
std::string Narrow(const JournalSide& side) {
  const std::wstring text(reinterpret_cast<const wchar_t*>(side.data.data()), side.data.size() / 2);
  return std::to_string(side.type) + ":" + FromWide(text);
}

const StartupRow* RowOf(const StartupRows& rows, const std::string& name, int enabled) {
  for (const StartupRow& row : rows)
    if (row.name == name && row.record.GetEnabled() == enabled) return &row;
  return nullptr;
}

class CrashTest : public StartupPrefixTest {
 protected:
  using Step = std::function<void(StartupStore&, StartupRows&)>;

  void SetUp() override {
    StartupPrefixTest::SetUp();
    journal = store.UserJournal().Folder();
    MakeFile(kTool, FILE_ATTRIBUTE_NORMAL, "MZ tool");
  }
  void TearDown() override {
    RemoveTree(journal);
    RemoveTree(kTool);
    StartupPrefixTest::TearDown();
  }

  void Seed() {
    StartupPrefixTest::SetUp();
    RemoveTree(journal);
    SetString(kUser, VersionKey("Run"), "Reg", "C:\\reg.exe /run");
    SetString(kUser, VersionKey("Run-"), "Keep", "C:\\keep.exe");
    MakeFile(userStartup + "\\file.lnk", FILE_ATTRIBUTE_NORMAL, std::string(70000, 'F'));
  }

  Where WhereIs(const std::string& name) {
    if (name.ends_with(".lnk")) return {FileBytes(userStartup + "\\" + name), FileBytes(userDisabled + "\\" + name)};
    return {ValueBytes(kUser, VersionKey("Run"), name), ValueBytes(kUser, VersionKey("Run-"), name)};
  }
  std::vector<Where> State() {
    std::vector<Where> state;
    for (const char* name : kEntries) state.push_back(WhereIs(name));
    return state;
  }

  // Each step looks at the entries first, so that running the steps again finishes what a stopped
  // run left and changes nothing that is done.
  std::vector<Step> Steps() {
    const auto move = [](const char* name, bool enable) {
      return [=](StartupStore& s, StartupRows& rows) {
        if (const StartupRow* row = RowOf(rows, name, enable ? 0 : 1)) {
          Action action = s.Begin();
          s.ApplyChange(action, *row, enable);
        }
      };
    };
    const auto remove = [](const char* name) {
      return [=](StartupStore& s, StartupRows& rows) {
        for (const StartupRow& row : rows)
          if (row.name == name) s.RemoveEntry(row);
      };
    };
    const auto undoRemove = [](StartupStore& s, StartupRows&) {
      const std::vector<JournalRecord> records = s.ReadJournal(false);
      const auto undone = UndoneBy(records);
      for (auto record = records.rbegin(); record != records.rend(); ++record)
        if (record->action == "remove" && record->name == "file.lnk" && !undone.contains(record->id)) {
          s.UndoAction(ActionSteps(records, undone, *record));
          return;
        }
    };
    const auto create = [](StartupStore& s, StartupRows& rows) {
      if (!RowOf(rows, "Made.lnk", 1)) s.CreateStartupShortcut(kTool, "Made");
    };
    const auto save = [](StartupStore& s, StartupRows& rows) {
      for (StartupRow& row : rows) row.checked = true;
      s.ApplyCheckChanges(rows);
    };
    return {move("Reg", false), move("file.lnk", false), move("file.lnk", true), remove("file.lnk"),
            undoRemove, remove("Reg"), create, save};
  }

  // Runs every step as one process would; false when the process died on the way.
  bool Run() {
    StartupStore process(platform, report, "console");
    try {
      for (const Step& step : Steps()) {
        StartupRows rows;
        try {
          process.LoadStartupList(rows);
          step(process, rows);
        } catch (const ERegistryError&) {
          // said to the user; the next step goes on
        }
      }
    } catch (const Killed&) {
      return false;
    }
    return true;
  }

  // The journal's records as written, not done and failed ones too.
  std::vector<JournalRecord> Lines() {
    std::vector<JournalRecord> records;
    std::istringstream lines(FileBytes(journal + "\\journal.jsonl").value_or(""));
    for (std::string line; std::getline(lines, line);)
      if (std::optional<JournalRecord> record = ParseJournalLine(line)) records.push_back(*record);
    return records;
  }

  // Whether what the side names lies there with the bytes it gives.
  bool Holds(const JournalSide& side, const std::string& name) {
    if (side.isFile) return FileBytes(side.path).has_value();
    const HKEY hive = side.place.starts_with("HKLM\\") ? kMachine : kUser;
    const std::optional<RawValue> raw = ReadWide(hive, side.place.substr(5), ToWide(name));
    return raw && raw->type == side.type && raw->data == side.data;
  }

  // Every entry whole in one place, or in both with the same bytes; one gone only with a record
  // that keeps it; the newest record of each entry, once done, true of where it lies.
  // claims: false after a change made without its record, which the user was told cannot be undone.
  void ExpectSound(const std::string& when, bool claims = true) {
    const std::vector<JournalRecord> records = Lines();
    std::set<std::int64_t> failed;
    for (const JournalRecord& record : records) failed.insert(record.fails);
    for (size_t i = 0; i < std::size(kEntries); ++i) {
      const std::string name = kEntries[i];
      const std::optional<std::string>& whole = wholes[i];
      const Where where = WhereIs(name);
      for (const auto& bytes : where) EXPECT_TRUE(!bytes || bytes == whole) << name << " cut short or changed " << when;
      const JournalRecord* newest = nullptr;
      for (const JournalRecord& record : records)
        if (record.name == name && record.action != "failed" && !failed.contains(record.id)) newest = &record;
      // Gone from both places: only by a removal that kept it whole.
      bool kept = where[0] || where[1] || !(seeded[i][0] || seeded[i][1]);
      for (const JournalRecord& record : records)
        kept = kept || (record.name == name && record.action == "remove" && !failed.contains(record.id) &&
                        (record.from->isFile ? FileBytes(record.from->backup) == whole : Narrow(*record.from) == whole));
      EXPECT_TRUE(kept) << name << " lost " << when;
      if (!claims || !newest || !newest->done) continue;  // a stopped change: the next one settles it
      EXPECT_TRUE(newest->to ? Holds(*newest->to, name) : !Holds(*newest->from, name))
          << "#" << newest->id << " " << newest->action << " of " << name << " not done " << when;
    }
  }

  // Nothing of the file layer's own is left in the Startup folders.
  void ExpectNoTemporaryFiles(const std::string& when) {
    for (const std::string& folder : {userStartup, userDisabled}) {
      std::vector<FolderEntry> entries;
      platform.ListFolder(folder, entries);
      for (const FolderEntry& entry : entries) EXPECT_FALSE(IsTemporaryName(entry.name)) << entry.name << " " << when;
    }
  }

  static constexpr const char* kTool = "C:\\kestrun-crash-tool.exe";
  static constexpr const char* kEntries[] = {"Reg", "Keep", "file.lnk", "Made.lnk"};
  std::string journal;
  std::vector<Where> seeded;
  std::vector<std::optional<std::string>> wholes;  // each entry's bytes, seeded or made
};

// Calls that change what lies on disk or in the registry. A kill at any other call leaves exactly
// what a kill at the next of these leaves: those are the points that differ.
bool Changes(const std::pair<Op, std::string>& call) {
  switch (call.first) {
    case Op::OpenKey: return call.second.starts_with("write ");
    case Op::OpenAt: return call.second.ends_with("\\journal.lock") || call.second.ends_with("\\journal.jsonl");
    case Op::SetValue: case Op::DeleteValue: case Op::CreateFolder: case Op::CreateSecuredFolder:
    case Op::FileCreate: case Op::FileWrite: case Op::SetFileFacts: case Op::FileMove: case Op::FileDelete:
    case Op::FileLock:
      return true;
    default:
      return false;
  }
}

TEST_F(CrashTest, EveryChangeStoppedOrFailedLeavesEntriesWholeAndARerunConverges) {
  Seed();
  seeded = State();
  platform.Revive();
  platform.ClearLog();
  ASSERT_TRUE(Run());
  const std::vector<std::pair<Op, std::string>> calls = platform.Log();
  std::vector<int> points;
  for (size_t call = 0; call < calls.size(); ++call)
    if (Changes(calls[call])) points.push_back(static_cast<int>(call) + 1);
  const std::vector<Where> finished = State();
  ASSERT_FALSE(finished[0][0] || finished[0][1]) << "Reg not removed";
  ASSERT_TRUE(finished[2][0] && finished[3][0]) << "file.lnk not brought back, or Made.lnk not made";
  for (size_t i = 0; i < seeded.size(); ++i)
    wholes.push_back(seeded[i][0] ? seeded[i][0] : seeded[i][1] ? seeded[i][1] : finished[i][0]);
  ExpectSound("after an uninterrupted run");

  for (const ErrorCode code : {ERROR_SUCCESS, ERROR_ACCESS_DENIED}) {
    for (const int call : points) {
      const std::string when = (code ? "after a failure at call " : "after a kill at call ") + std::to_string(call) +
                               " (" + calls[call - 1].second + ")";
      Seed();
      report = RecordingReport();
      platform.StopAt(call, code);
      Run();
      platform.Revive();
      ExpectSound(when, std::none_of(report.reports.begin(), report.reports.end(), [](const ReportedError& said) {
                    return said.subject.find("cannot be undone") != std::string::npos;
                  }));
      ASSERT_TRUE(Run()) << when;
      EXPECT_EQ(Summary(State()), Summary(finished)) << "no convergence " << when;
      ExpectSound("rerun " + when);
      ExpectNoTemporaryFiles(when);
      if (HasFailure()) return;
    }
  }
  std::cout << "interruption points covered: " << 2 * points.size() << " (" << points.size() << " changing calls of "
            << calls.size() << ", each killed and failed)\n";
}

}  // namespace
}  // namespace kestrun::test
