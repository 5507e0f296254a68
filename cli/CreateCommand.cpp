// kestrun-cli create TARGET [--display-name NAME] [--dry-run]: a shortcut in the per-user Startup
// folder, written by the same store code as the window's create dialog.
#include <memory>

#include "base/Text.h"
#include "store/ShortcutTarget.h"
#include "store/StartupShortcut.h"
#include "cli/Commands.h"
#include "cli/Output.h"

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
    if (row.Record.GetLocation() == slUserStartupFolder && SameName(row.Name, linkName)) found.push_back(row);
  return found;
}

constexpr const char* kNoStartupFolder =
    "the Startup folder is not known: its Shell Folders value is missing, empty or not a full path";

// The shortcuts of that name already in the per-user folder, whatever their letter case.
StartupRows ExistingLinks(CliSession& session, const std::string& linkName) {
  StartupRows rows;
  session.store.LoadStartupList(rows);
  return RowsOfLink(rows, linkName);
}

// The outcome as an exit code, with its message on stderr; kExitOk only for a written shortcut.
int Outcome(CliSession& session, const CreateOptions& options, const CreateShortcutResult& result) {
  switch (result.Outcome) {
    case coFileNotFound: session.report.Fail(options.target + ": file not found"); return kExitFailed;
    case coNoShellFolders: session.report.Fail("the Shell Folders key cannot be opened"); return kExitFailed;
    case coNoDisplayName: session.report.Fail("no display name was given"); return kExitUsage;
    case coLinkPathTooLong: session.report.Fail("the shortcut's path would be too long"); return kExitFailed;
    case coNoStartupFolder: session.report.Fail(kNoStartupFolder); return kExitFailed;
    case coTargetPathTooLong:
      session.report.Fail(options.target + ": the path is too long for a shortcut (260 characters or more)");
      return kExitFailed;
    case coWritten: break;
  }
  if (FAILED(result.Status)) {
    session.report.ShowSystemError(static_cast<ErrorCode>(result.Status), "the shortcut was not written");
    return kExitFailed;
  }
  return kExitOk;
}

// The real run's checks, in its order and with its words; then what it would write.
int DryRun(CliSession& session, const CreateOptions& options, const std::string& displayName) {
  const auto refuse = [&](CreateShortcutResult result) { return Outcome(session, options, result); };
  if (!session.platform.FileExists(options.target)) return refuse({coFileNotFound});
  if (ToWide(options.target).size() >= MAX_PATH) return refuse({coTargetPathTooLong});
  RegistryAccess registry(session.platform);
  if (!registry.OpenKey(kShellFoldersKey, false)) return refuse({coNoShellFolders});
  if (displayName.empty()) return refuse({coNoDisplayName});
  const std::string folder = registry.ReadString(kStartupValue);
  if (!IsFullPath(folder)) return refuse({coNoStartupFolder});
  const std::string link = folder + "\\" + displayName + ".lnk";
  if (!IsFileNameSafe(displayName)) return refuse({coWritten, HRESULT_FROM_WIN32(ERROR_INVALID_NAME)});
  if (ToWide(link).size() >= MAX_PATH) return refuse({coLinkPathTooLong});
  std::string text = "would create:\n" + link + " -> " + options.target + "\n";
  const StartupRows existing = ExistingLinks(session, displayName + ".lnk");
  if (!existing.empty()) text += "replacing:\n" + FormatTable(existing);
  WriteOutput(text);
  return kExitOk;
}

int RunCreate(CliSession& session, const CreateOptions& given) {
  if (given.target.empty()) {
    session.report.Fail("no target was given: name the program (or file) the shortcut should start");
    return kExitUsage;
  }
  // Both runs check, name and report the target the shortcut will hold, not the one typed.
  CreateOptions options = given;
  options.target = ShortcutTargetOf(session.platform, given.target);
  if (options.target.empty()) {
    session.report.Fail(given.target + ": no full path can be made of it");
    return kExitFailed;
  }
  const std::string displayName = options.displayNameGiven ? options.displayName : MakeDisplayName(options.target);
  if (options.dryRun) return DryRun(session, options, displayName);
  const std::string linkName = displayName + ".lnk";
  const StartupRows before = ExistingLinks(session, linkName);
  RegistryAccess registry(session.platform);  // the create dialog's own, not the store's
  const CreateShortcutResult result =
      CreateStartupShortcut(session.platform, registry, options.target, displayName, &session.store.GetJournal());
  const int rc = Outcome(session, options, result);
  if (rc != kExitOk) return rc;
  if (result.JournalError != ERROR_SUCCESS)
    session.report.ShowJournalWarning(result.JournalError, session.store.GetJournal().Folder());
  StartupRows rows;
  session.store.LoadStartupList(rows);
  std::string text = "created:\n" + FormatTable(RowsOfLink(rows, linkName));
  if (!before.empty()) text += "it replaced the shortcut of the same name that was there:\n" + FormatTable(before);
  WriteOutput(text);
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddCreateCommand(CLI::App& app, Action& action) {
  auto options = std::make_shared<CreateOptions>();
  CLI::App* create = app.add_subcommand("create", "Add a shortcut to a program to the per-user Startup folder");
  create->add_option("target", options->target, "The program (or any file) the shortcut starts")->required();
  CLI::Option* name = create->add_option("--display-name", options->displayName,
                                         "The shortcut's name (default: the target's file name without extension)");
  create->add_flag("--dry-run", options->dryRun, "Show what would be created, and create nothing");
  create->callback([options, name, &action] {
    options->displayNameGiven = name->count() > 0;
    action = [options](CliSession& session) { return RunCreate(session, *options); };
  });
}

}  // namespace kestrun::cli
