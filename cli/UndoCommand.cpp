// kestrun-cli undo [ID]: reverses one journalled change (by default the last one not undone yet),
// byte for byte, with the other records of its operation, and journals the undo.
#include <memory>

#include "cli/Commands.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

struct UndoOptions {
  std::int64_t id = 0;  // 0: the last change not undone yet
};

const JournalRecord* Choose(const std::vector<JournalRecord>& records,
                            const std::map<std::int64_t, std::int64_t>& undone, std::int64_t id, std::string& error) {
  const JournalRecord* chosen = nullptr;
  for (const JournalRecord& record : records) {
    if (id ? record.id == id : record.action != "undo" && !undone.contains(record.id)) chosen = &record;
  }
  if (!chosen) {
    error = id ? "the journal holds no change #" + std::to_string(id) : "the journal holds no change to undo";
  } else if (auto by = undone.find(chosen->id); by != undone.end()) {
    error = "change #" + std::to_string(chosen->id) + " was undone already, by #" + std::to_string(by->second);
    chosen = nullptr;
  }
  return chosen;
}

int RunUndo(CliSession& session, const UndoOptions& options) {
  const std::vector<JournalRecord> records = session.store.GetJournal().Read();
  const std::map<std::int64_t, std::int64_t> undone = UndoneBy(records);
  std::string error;
  const JournalRecord* change = Choose(records, undone, options.id, error);
  if (!change) {
    session.report.Fail(error);
    return kExitFailed;
  }
  const std::string what = "#" + std::to_string(change->id) + " " + change->action + " '" + change->name + "' (" +
                           LocationName(change->location) + ")";
  // The other records of the same operation (an entry brought back and its flag switched on) go with it.
  const UndoResult result = session.store.UndoAction(ActionSteps(records, undone, *change));
  session.store.ReleaseUserKey();
  if (!result.done) {
    session.report.Fail("cannot undo " + what + ": " + result.reason);
    return kExitFailed;
  }
  WriteOutput("undone: " + what + "\n");
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddUndoCommand(CLI::App& app, Action& action) {
  auto options = std::make_shared<UndoOptions>();
  CLI::App* command = app.add_subcommand("undo", "Reverse a change from the journal (default: the last one)");
  command->add_option("id", options->id, "The change's id, as history shows it")->check(CLI::PositiveNumber);
  command->callback([options, &action] {
    action = [options](CliSession& session) { return RunUndo(session, *options); };
  });
}

}  // namespace kestrun::cli
