// kestrun-cli undo [ID]: reverses one journalled change (by default the last one not undone yet),
// byte for byte, with the other records of its operation, and journals the undo.
#include "cli/Commands.h"
#include "cli/Journals.h"
#include "cli/Output.h"
#include "store/StartupUndo.h"

namespace kestrun::cli {
namespace {

struct UndoOptions {
  std::string id;  // "": the last change not undone yet, of either journal
};

const JournalRecord* Choose(const Journals& journals, const std::string& idText, std::string& error) {
  const JournalRecord* chosen = nullptr;
  const auto id = ParseIdText(idText);
  if (id) {
    for (const JournalRecord& record : journals.Of(id->first))
      if (record.id == id->second) chosen = &record;
  } else {
    for (const JournalRecord* record : journals.InOrder())
      if (record->action != "undo" && !journals.UndoneBy(*record)) chosen = record;
  }
  if (!chosen) {
    error = id ? "the journal holds no change #" + IdText(id->first, id->second) : "the journal holds no change to undo";
  } else if (const auto by = journals.UndoneBy(*chosen)) {
    error = "change #" + IdText(chosen->machine, chosen->id) + " was undone already, by #" +
            IdText(chosen->machine, *by);
    chosen = nullptr;
  }
  return chosen;
}

int RunUndo(CliSession& session, const UndoOptions& options) {
  const Journals journals(session);
  std::string error;
  const JournalRecord* change = Choose(journals, options.id, error);
  if (!change) {
    session.report.Fail(error);
    return kExitFailed;
  }
  // The other records of the same action (an entry brought back and its flag switched on, every change
  // of one Save or one command) go with it; a step that cannot be undone is said by the store.
  const std::vector<const JournalRecord*> steps =
      ActionSteps(journals.Of(change->machine), journals.Undone(change->machine), *change);
  const size_t undone = session.store.UndoAction(steps);
  std::string text;
  for (size_t i = 0; i < undone; ++i) text += "undone: " + ChangeLabel(*steps[i]) + "\n";
  WriteOutput(text);
  return undone == steps.size() && !session.report.Count() ? kExitOk : kExitFailed;
}

std::string CheckId(const std::string& text) { return ParseIdText(text) ? "" : "not a change's id: " + text; }

}  // namespace

void AddUndoCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"undo", "Reverse a change from the journal (default: the last one)",
                    {{"ID", "",
                      "The change's id, as history shows it (M12: the machine-wide journal's; #12 and #M12 too)",
                      false, CheckId}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunUndo(session, {given.Value("ID")});
                   }});
}

}  // namespace kestrun::cli
