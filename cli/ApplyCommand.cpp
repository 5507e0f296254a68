// kestrun-cli apply FILE [--dry-run] [--json]: enables or disables each listed entry as the file
// says and leaves every other entry alone. A second run changes nothing.
#include <optional>
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/DesiredState.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

using Json = nlohmann::ordered_json;

struct ApplyOptions {
  std::string file;
  bool dryRun = false;
  bool json = false;
};

struct Outcome {
  WantedEntry wanted;
  std::int32_t location = 0;
  std::optional<bool> from;  // where the entry lay: none when there is no such entry
  std::string result;  // "changed", "would change" or "failed"
  std::string error;
};

const char* StateWord(bool enabled) { return enabled ? "enabled" : "disabled"; }

// The entry now lies as wanted: the rescan after the moves is the proof.
bool Lies(StartupRows& rows, const WantedEntry& wanted, std::int32_t location, StartupStore& store) {
  WantedEntry exact = wanted;
  exact.location = location;
  const Standing standing = Judge(rows, exact, SameBytesOf(store));
  return standing.error.empty() && !standing.move;
}

std::string Text(const std::vector<Outcome>& outcomes, int changed, int failed, bool dryRun) {
  std::string text;
  for (const Outcome& outcome : outcomes) {
    const std::string verb = outcome.wanted.enabled ? "enable" : "disable";
    if (outcome.result == "failed")
      text += "failed: " + Describe(outcome.wanted, outcome.location) + ": " + outcome.error + "\n";
    else
      text += (dryRun ? "would " + verb : verb + "d") + ": " + Describe(outcome.wanted, outcome.location) + "\n";
  }
  return text + std::to_string(changed) + (dryRun ? " would change, " : " changed, ") + std::to_string(failed) +
         " failed\n";
}

std::string JsonLine(const std::vector<Outcome>& outcomes, int changed, int failed, bool dryRun) {
  Json changes = Json::array();
  for (const Outcome& outcome : outcomes) {
    Json change{{"name", outcome.wanted.name},
                {"location", outcome.location ? LocationName(outcome.location) : outcome.wanted.locationText},
                {"from", outcome.from ? Json(StateWord(*outcome.from)) : Json(nullptr)},
                {"to", StateWord(outcome.wanted.enabled)},
                {"result", outcome.result}};
    if (!outcome.error.empty()) change["error"] = outcome.error;
    changes.push_back(change);
  }
  const Json summary{{"changed", changed}, {"failed", failed}, {"dryRun", dryRun}, {"changes", changes}};
  return summary.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

int RunApply(CliSession& session, const ApplyOptions& options) {
  std::string error;
  const auto items = ReadDesiredState(session.platform, options.file, error);
  if (!items) {
    session.report.Fail(error);
    return kExitUsage;
  }
  StartupRows rows;
  session.store.LoadStartupList(rows);
  std::vector<Outcome> outcomes;
  for (const WantedEntry& wanted : *items) {
    const Standing standing = Judge(rows, wanted, SameBytesOf(session.store));
    const std::optional<bool> from = standing.exists ? std::optional<bool>(standing.enabled) : std::nullopt;
    if (!standing.error.empty()) {
      outcomes.push_back({wanted, standing.location, from, "failed", standing.error});
    } else if (standing.move) {
      standing.move->checked = wanted.enabled;
      outcomes.push_back({wanted, standing.location, from, options.dryRun ? "would change" : "changed", {}});
    }
  }
  if (!options.dryRun) {
    session.store.ApplyCheckChanges(rows);
    session.store.LoadStartupList(rows);
    for (Outcome& outcome : outcomes) {
      if (outcome.result != "changed" || Lies(rows, outcome.wanted, outcome.location, session.store)) continue;
      outcome.result = "failed";
      outcome.error = "it is still " + std::string(StateWord(!outcome.wanted.enabled));
    }
  }
  int changed = 0, failed = 0;
  for (const Outcome& outcome : outcomes) {
    if (outcome.result == "failed") {
      ++failed;
      session.report.Fail(Describe(outcome.wanted, outcome.location) + ": " + outcome.error);
    } else {
      ++changed;
    }
  }
  WriteOutput(options.json ? JsonLine(outcomes, changed, failed, options.dryRun)
                           : Text(outcomes, changed, failed, options.dryRun));
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddApplyCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"apply", "Enable or disable the entries a desired-state file lists",
                    {{"FILE", "", "The file, as export writes it", true},
                     {"--dry-run", "", "Show what would change, and change nothing"},
                     {"--json", "", "Print one JSON line: {changed, failed, dryRun, changes}"}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunApply(session, {given.Value("FILE"), given.Has("--dry-run"), given.Has("--json")});
                   }});
}

}  // namespace kestrun::cli
