// kestrun-cli disable | enable | remove --name NAME [--location LOC] [--dry-run]: the same store
// operations as the window's Save Settings and Remove, on one chosen entry.
#include <memory>

#include "base/Text.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Selection.h"

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

const char* VerbText(Change change, bool done) {
  switch (change) {
    case Change::Disable: return done ? "disabled" : "would disable";
    case Change::Enable: return done ? "enabled" : "would enable";
    case Change::Remove: return done ? "removed" : "would remove";
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
      WriteOutput("'" + already.row->name + "' is already " + StateName(*already.row) + " (" +
                  LocationName(already.row->record.GetLocation()) + "): nothing to do\n");
      return kExitOk;
    }
    session.report.Fail(selected.error);
    return kExitFailed;
  }
  const StartupRow chosen = *selected.row;
  // Never deleted here, dry run or not.
  if (const std::string why = session.store.RemoveRefusal(chosen); options.change == Change::Remove && !why.empty()) {
    session.report.Fail("'" + chosen.name + "' could not be removed: " + why);
    return kExitFailed;
  }
  const StartupRow* replaced = InTheWay(session, rows, chosen, options.change);
  if (replaced && !options.replace) {
    session.report.Fail("'" + replaced->name + "' is already " + StateName(*replaced) + " in " +
                        LocationName(chosen.record.GetLocation()) + " (" + replaced->path +
                        ") and would be overwritten: add --replace to go ahead");
    return kExitFailed;
  }
  if (options.dryRun) {
    std::string text = std::string(VerbText(options.change, false)) + ":\n" + FormatTable({chosen});
    if (replaced) text += "replacing:\n" + FormatTable({*replaced});
    WriteOutput(text);
    return kExitOk;
  }
  const StartupRow* overwrite = replaced && options.replace ? replaced : nullptr;
  const bool moved = Apply(session, rows, *selected.row, options.change, overwrite);
  const StartupRows now = options.change == Change::Remove ? StartupRows{chosen} : RowsNamed(rows, chosen);
  if (moved) WriteOutput(std::string(VerbText(options.change, true)) + ":\n" + FormatTable(now));
  // When the store said what went wrong, that is the truth: a change may have been half made.
  if (!moved && session.report.Count() == 0)
    session.report.Fail("'" + chosen.name + "' is still where it was: nothing was changed");
  return session.report.Count() ? kExitFailed : kExitOk;
}

void AddChange(CLI::App& app, Verb& verb, Change change, const char* name, const char* description) {
  auto options = std::make_shared<ChangeOptions>();
  options->change = change;
  CLI::App* command = app.add_subcommand(name, description);
  const auto location = CLI::Validator(
      [](std::string& text) {
        return ParseLocation(text) ? std::string() : "unknown location '" + text + "': use " + LocationChoices();
      },
      "LOCATION");
  command->add_option("--name", options->name, "The entry's name (value name or file name)")->required();
  command->add_option("--location", options->location,
                      "Where it is, when the name is in several places: " + LocationChoices())
      ->check(location);
  if (change == Change::Remove) {
    const auto state = CLI::Validator(
        [](std::string& text) {
          return ParseState(text) ? std::string() : "unknown state '" + text + "': use enabled, disabled or any";
        },
        "STATE");
    command->add_option("--state", options->state, "Which one, when the name is both enabled and disabled")
        ->check(state);
  }
  if (change != Change::Remove)
    command->add_flag("--replace", options->replace,
                      "Overwrite an entry of the same name already at the place it moves to");
  command->add_flag("--dry-run", options->dryRun, "Show what would change, and change nothing");
  command->callback([options, &verb] {
    verb = [options](CliSession& session) { return RunChange(session, *options); };
  });
}

}  // namespace

void AddChangeCommands(CLI::App& app, Verb& verb) {
  AddChange(app, verb, Change::Disable, "disable", "Park an enabled entry in its disabled place");
  AddChange(app, verb, Change::Enable, "enable", "Move a disabled entry back to its live place");
  AddChange(app, verb, Change::Remove, "remove", "Delete an entry for good");
}

}  // namespace kestrun::cli
