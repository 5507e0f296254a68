// kestrun-cli undo [ID]: reverses one journalled change (by default the last one not undone yet),
// byte for byte, with the other records of its operation, and journals the undo.
#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/Journals.h"
#include "cli/Output.h"
#include "cli/TextIds.h"
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
    error = id ? Text(IDS_NO_SUCH_CHANGE, {IdText(id->first, id->second)}) : Text(IDS_NO_CHANGE_TO_UNDO);
  } else if (const auto by = journals.UndoneBy(*chosen)) {
    error = Text(IDS_UNDONE_ALREADY, {IdText(chosen->machine, chosen->id), IdText(chosen->machine, *by)});
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
  for (size_t i = 0; i < undone; ++i) text += Text(IDS_UNDONE, {ChangeLabel(*steps[i])}) + "\n";
  WriteOutput(text);
  return undone == steps.size() && !session.report.Count() ? kExitOk : kExitFailed;
}

std::string CheckId(const std::string& text) { return ParseIdText(text) ? "" : Text(IDS_NOT_AN_ID, {text}); }

}  // namespace

void AddUndoCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"undo", Text(IDS_UNDO_VERB), {{"ID", "", Text(IDS_ID_OPERAND), false, CheckId}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunUndo(session, {given.Value("ID")});
                   }});
}

}  // namespace kestrun::cli
