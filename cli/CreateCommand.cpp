// kestrun-cli create TARGET [--display-name NAME] [--dry-run]: a shortcut in the per-user Startup
// folder, written by the same store code as the window's create dialog.
#include "base/Text.h"
#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/TextIds.h"
#include "store/ShortcutTarget.h"

namespace kestrun::cli {
namespace {

struct CreateOptions {
  std::string target;
  std::string displayName;
  bool displayNameGiven = false;
  bool dryRun = false;
};

StartupRows RowsOfLink(const StartupRows& rows, const std::string& linkName) {
  StartupRows found;
  for (const StartupRow& row : rows)
    if (row.record.GetLocation() == slUserStartupFolder && SameName(row.name, linkName)) found.push_back(row);
  return found;
}

// The shortcuts of that name already in the per-user folder, whatever their letter case.
StartupRows ExistingLinks(CliSession& session, const std::string& linkName) {
  StartupRows rows;
  session.store.LoadStartupList(rows);
  return RowsOfLink(rows, linkName);
}

// The outcome as an exit code, with its message on stderr; kExitOk only for a shortcut written (or,
// on a dry run, one that would be).
int Outcome(CliSession& session, const CreateOptions& options, const CreateShortcutResult& result) {
  if (result.outcome != coWritten) {
    session.report.Fail(WithTarget(OutcomeText(result.outcome).line, options.target));
    return result.outcome == coNoDisplayName || result.outcome == coCommandLine ? kExitUsage : kExitFailed;
  }
  // A link that could not be written was said by the store.
  return FAILED(result.status) ? kExitFailed : kExitOk;
}

int DryRun(CliSession& session, const CreateOptions& options, const std::string& displayName) {
  const CreateShortcutResult plan = session.store.PlanShortcut(options.target, displayName);
  if (const int rc = Outcome(session, options, plan); rc != kExitOk) return rc;
  std::string text = Text(IDS_WOULD_CREATE) + ":\n" + plan.link + " -> " + options.target + "\n";
  const StartupRows existing = ExistingLinks(session, displayName + ".lnk");
  if (!existing.empty()) text += Text(IDS_REPLACING) + ":\n" + FormatTable(existing);
  WriteOutput(text);
  return kExitOk;
}

int RunCreate(CliSession& session, const CreateOptions& given) {
  if (given.target.empty()) {
    session.report.Fail(Text(IDS_NO_TARGET));
    return kExitUsage;
  }
  if (IsCommandLine(given.target)) return Outcome(session, given, {coCommandLine});
  // Both runs check, name and report the target the shortcut will hold, not the one typed.
  CreateOptions options = given;
  options.target = ShortcutTargetOf(session.platform, given.target);
  if (options.target.empty()) {
    session.report.Fail(Text(IDS_NO_FULL_PATH, {given.target}));
    return kExitFailed;
  }
  const std::string displayName = options.displayNameGiven ? options.displayName : MakeDisplayName(options.target);
  if (options.dryRun) return DryRun(session, options, displayName);
  const std::string linkName = displayName + ".lnk";
  const StartupRows before = ExistingLinks(session, linkName);
  const CreateShortcutResult result = session.store.CreateStartupShortcut(options.target, displayName);
  if (const int rc = Outcome(session, options, result); rc != kExitOk) return rc;
  StartupRows rows;
  session.store.LoadStartupList(rows);
  std::string text = Text(IDS_CREATED) + ":\n" + FormatTable(RowsOfLink(rows, linkName));
  if (!before.empty()) text += Text(IDS_REPLACED_SHORTCUT) + ":\n" + FormatTable(before);
  WriteOutput(text);
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddCreateCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"create", Text(IDS_CREATE_VERB),
                    {{"TARGET", "", Text(IDS_TARGET_OPERAND), true},
                     {"--display-name", "NAME", Text(IDS_DISPLAY_NAME_OPTION)},
                     {"--dry-run", "", Text(IDS_CREATE_DRY_RUN_OPTION)}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunCreate(session, {given.Value("TARGET"), given.Value("--display-name"),
                                                given.Has("--display-name"), given.Has("--dry-run")});
                   }});
}

}  // namespace kestrun::cli
