// kestrun-cli disable | enable | remove --name NAME [--location LOC] [--dry-run]: the same store
// operations as the window's Save Settings and Remove, on one chosen entry.

#include "base/Text.h"
#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Selection.h"
#include "cli/TextIds.h"

namespace kestrun::cli {
namespace {

enum class Change { Disable, Enable, Remove };

struct ChangeOptions {
  Change change;
  std::string name;
  std::string location;
  std::string state = "any";
  bool dryRun = false;
  bool replace = false;
};

StartupRows RowsNamed(const StartupRows& rows, const StartupRow& like) {
  StartupRows found;
  for (const StartupRow& row : rows)
    if (SameName(row.name, like.name) && row.record.GetLocation() == like.record.GetLocation()) found.push_back(row);
  return found;
}

bool StillLies(const StartupRows& rows, const StartupRow& like, std::int32_t enabled) {
  for (const StartupRow& row : RowsNamed(rows, like))
    if (row.record.GetEnabled() == enabled) return true;
  return false;
}

// Disabling parks a live entry, even one Windows has switched off; enabling takes any entry Windows
// does not start: a parked one moves back, a switched-off one gets its StartupApproved flag set on.
StateFilter SourceState(const ChangeOptions& options) {
  if (options.change == Change::Disable) return StateFilter::Live;
  if (options.change == Change::Enable) return StateFilter::Disabled;
  // Remove's --state tells the two entries of one name apart by where they lie.
  const StateFilter state = *ParseState(options.state);
  if (state == StateFilter::Enabled) return StateFilter::Live;
  if (state == StateFilter::Disabled) return StateFilter::Parked;
  return state;
}

// The heading over the table of what changed (or would).
std::string VerbText(Change change, bool done) {
  switch (change) {
    case Change::Disable: return Text(done ? IDS_DISABLED_HEADING : IDS_WOULD_DISABLE);
    case Change::Enable: return Text(done ? IDS_ENABLED_HEADING : IDS_WOULD_ENABLE);
    case Change::Remove: return Text(done ? IDS_REMOVED_HEADING : IDS_WOULD_REMOVE);
  }
  return "";
}

// The entry of the same name already at the place a move would go to: the move would overwrite it.
// The same bytes there are no other entry but a move stopped half way, which this one finishes. An
// entry switched where it lies goes nowhere.
const StartupRow* InTheWay(CliSession& session, StartupRows& rows, const StartupRow& row, Change change) {
  const EntryKind* kind = KindOf(row.record.GetLocation());
  if (change == Change::Remove || (change == Change::Enable && SwitchedOffByWindows(row)) || !kind || !kind->Parks())
    return nullptr;
  const StateFilter target = change == Change::Enable ? StateFilter::Live : StateFilter::Parked;
  const StartupRow* there = SelectRow(rows, row.name, row.record.GetLocation(), target).row;
  return there && session.store.SameBytes(row, *there) ? nullptr : there;
}

bool StartsNow(const StartupRows& rows, const StartupRow& like) {
  for (const StartupRow& row : RowsNamed(rows, like))
    if (StartsAtLogOn(row)) return true;
  return false;
}

// Runs the store operation on the selected row; returns whether it took effect: the entry left its
// place, or (switched off by Windows and enabled) Windows starts it now.
// replaced: the entry of the same name the user chose to overwrite; it goes first.
// One action: the removal of the entry replaced and the move are one undo step.
bool Apply(CliSession& session, StartupRows& rows, const StartupRow& row, Change change, const StartupRow* replaced) {
  const StartupRow before = row;
  {
    Action action = session.store.Begin();
    if (replaced && (session.store.RemoveEntry(action, *replaced), action.Failures() != 0)) return false;
    if (change == Change::Remove)
      session.store.RemoveEntry(action, before);
    else
      session.store.ApplyChange(action, before, change == Change::Enable);
  }
  session.store.LoadStartupList(rows);
  if (change == Change::Enable && SwitchedOffByWindows(before)) return StartsNow(rows, before);
  return !StillLies(rows, before, before.record.GetEnabled());
}

int RunChange(CliSession& session, const ChangeOptions& options) {
  StartupRows rows;
  session.store.LoadStartupList(rows);
  const std::optional<std::int32_t> location =
      options.location.empty() ? std::nullopt : ParseLocation(options.location);
  const Selected selected = SelectByName(rows, options.name, location, SourceState(options));
  if (!selected.row) {
    // Already as asked (parked, or started by Windows) is what was asked for: the same answer as a
    // second run of apply.
    const Selected already = options.change == Change::Remove
                                 ? Selected{}
                                 : SelectByName(rows, options.name, location,
                                                options.change == Change::Disable ? StateFilter::Parked
                                                                                  : StateFilter::Enabled);
    if (already.row) {
      WriteOutput(Text(IDS_ALREADY_SO, {already.row->name, StateText(*already.row),
                                        LocationName(already.row->record.GetLocation())}) +
                  "\n");
      return kExitOk;
    }
    session.report.Fail(selected.error);
    return kExitFailed;
  }
  const StartupRow chosen = *selected.row;
  // Never deleted here, dry run or not.
  if (const std::string why = session.store.RemoveRefusal(chosen); options.change == Change::Remove && !why.empty()) {
    session.report.Fail(Text(IDS_CANNOT_REMOVE, {chosen.name, why}));
    return kExitFailed;
  }
  const StartupRow* replaced = InTheWay(session, rows, chosen, options.change);
  if (replaced && !options.replace) {
    session.report.Fail(Text(IDS_WOULD_OVERWRITE, {replaced->name, StateText(*replaced),
                                                   LocationName(chosen.record.GetLocation()), replaced->path}));
    return kExitFailed;
  }
  if (options.dryRun) {
    std::string text = VerbText(options.change, false) + ":\n" + FormatTable({chosen});
    if (replaced) text += Text(IDS_REPLACING) + ":\n" + FormatTable({*replaced});
    WriteOutput(text);
    return kExitOk;
  }
  const StartupRow* overwrite = replaced && options.replace ? replaced : nullptr;
  const bool moved = Apply(session, rows, *selected.row, options.change, overwrite);
  const StartupRows now = options.change == Change::Remove ? StartupRows{chosen} : RowsNamed(rows, chosen);
  if (moved) WriteOutput(VerbText(options.change, true) + ":\n" + FormatTable(now));
  // When the store said what went wrong, that is the truth: a change may have been half made.
  if (!moved && session.report.Count() == 0)
    session.report.Fail(Text(IDS_NOTHING_CHANGED, {chosen.name}));
  return session.report.Count() ? kExitFailed : kExitOk;
}

std::string CheckLocation(const std::string& text) {
  return ParseLocation(text) ? "" : Text(IDS_UNKNOWN_LOCATION, {text, LocationChoices()});
}

std::string CheckState(const std::string& text) {
  return ParseState(text) ? "" : Text(IDS_UNKNOWN_STATE, {text});
}

Verb ChangeVerb(Change change, const char* name, unsigned description) {
  VerbSyntax syntax{name, Text(description), {{"--name", "NAME", Text(IDS_NAME_OPTION), true}}};
  syntax.parameters.push_back({"--location", "LOCATION", Text(IDS_LOCATION_OPTION, {LocationChoices()}), false,
                               CheckLocation});
  if (change == Change::Remove)
    syntax.parameters.push_back({"--state", "STATE", Text(IDS_STATE_OPTION), false, CheckState});
  else
    syntax.parameters.push_back({"--replace", "", Text(IDS_REPLACE_OPTION)});
  syntax.parameters.push_back({"--dry-run", "", Text(IDS_DRY_RUN_OPTION)});
  return {syntax, [change](CliSession& session, const Arguments& given) {
            return RunChange(session, {change, given.Value("--name"), given.Value("--location"),
                                       given.Value("--state", "any"), given.Has("--dry-run"), given.Has("--replace")});
          }};
}

}  // namespace

void AddChangeCommands(std::vector<Verb>& verbs) {
  verbs.push_back(ChangeVerb(Change::Disable, "disable", IDS_DISABLE_VERB));
  verbs.push_back(ChangeVerb(Change::Enable, "enable", IDS_ENABLE_VERB));
  verbs.push_back(ChangeVerb(Change::Remove, "remove", IDS_REMOVE_VERB));
}

}  // namespace kestrun::cli
