// kestrun-cli check FILE: does the machine match the desired-state file? Made for detection scripts
// (Intune's contract): exit 0 it matches, 1 it does not, 3 the machine or the file could not be
// read; one summary line of at most 2,048 characters on stdout and nothing on stderr.
#include <memory>

#include "cli/Commands.h"
#include "cli/DesiredState.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

constexpr size_t kMaxSummary = 2048;

// Cut on a character boundary, with an ellipsis saying that it was cut.
std::string Bounded(std::string line) {
  if (line.size() <= kMaxSummary) return line;
  const std::string more = "...";
  size_t cut = kMaxSummary - more.size();
  while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
  return line.substr(0, cut) + more;
}

int RunCheck(CliSession& session, const std::string& file) {
  session.report.Silence();
  std::string error;
  const auto items = ReadDesiredState(session.platform, file, error);
  if (!items) {
    WriteOutput(Bounded("unreadable: " + error) + "\n");
    return kExitUnreadable;
  }
  StartupRows rows;
  try {
    session.store.LoadStartupList(rows);
  } catch (const std::exception& failure) {
    WriteOutput(Bounded(std::string("unreadable: the machine: ") + failure.what()) + "\n");
    return kExitUnreadable;
  }
  std::string differences;
  int differing = 0;
  for (const WantedEntry& wanted : *items) {
    const Standing standing = Judge(rows, wanted);
    if (standing.error.empty() && !standing.move) continue;
    ++differing;
    const std::string now = standing.enabled ? "enabled" : "disabled";
    const std::string want = wanted.enabled ? "enabled" : "disabled";
    differences += "; " + (standing.error.empty() ? Describe(wanted, standing.location) + " is " + now + ", wanted " + want
                                                  : standing.error);
  }
  const std::string count = std::to_string(items->size()) + (items->size() == 1 ? " entry" : " entries");
  if (differing == 0) {
    WriteOutput("matches: " + count + " as wanted\n");
    return kExitOk;
  }
  // Candidates listed on lines of their own would break the one-line contract.
  for (char& c : differences)
    if (c == '\n' || c == '\r') c = ' ';
  WriteOutput(Bounded("differs: " + std::to_string(differing) + " of " + count + differences) + "\n");
  return kExitFailed;
}

}  // namespace

void AddCheckCommand(CLI::App& app, Action& action) {
  auto file = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand("check", "Exit 0 when the machine matches a desired-state file, 1 when not");
  command->add_option("file", *file, "The file, as export writes it")->required();
  command->callback([file, &action] {
    action = [file](CliSession& session) { return RunCheck(session, *file); };
  });
}

}  // namespace kestrun::cli
