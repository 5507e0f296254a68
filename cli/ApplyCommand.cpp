// kestrun-cli apply FILE [--dry-run] [--json]: enables or disables each listed entry as the file
// says and leaves every other entry alone. A second run changes nothing.
#include <functional>
#include <optional>
#include <nlohmann/json.hpp>

#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/DesiredState.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

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
  std::string englishError;  // the same for JSON, which reads the same in every language
};

const char* StateWord(bool enabled) { return enabled ? "enabled" : "disabled"; }

// A failure worded for the person, and for the JSON.
void SetError(Outcome& outcome, const std::function<std::string()>& why) {
  outcome.error = why();
  EnglishTexts english;
  outcome.englishError = why();
}

// The entry now lies as wanted: the rescan after the moves is the proof.
bool Lies(StartupRows& rows, const WantedEntry& wanted, std::int32_t location, StartupStore& store) {
  WantedEntry exact = wanted;
  exact.location = location;
  const Standing standing = Judge(rows, exact, SameBytesOf(store));
  return standing.error.empty() && !standing.move;
}

unsigned LineId(const Outcome& outcome, bool dryRun) {
  if (outcome.result == "failed") return IDS_APPLY_FAILED;
  if (dryRun) return outcome.wanted.enabled ? IDS_APPLY_WOULD_ENABLE : IDS_APPLY_WOULD_DISABLE;
  return outcome.wanted.enabled ? IDS_APPLY_ENABLED : IDS_APPLY_DISABLED;
}

std::string Summary(const std::vector<Outcome>& outcomes, int changed, int failed, bool dryRun) {
  std::string text;
  for (const Outcome& outcome : outcomes)
    text += Text(LineId(outcome, dryRun), {Describe(outcome.wanted, outcome.location), outcome.error}) + "\n";
  const unsigned total = dryRun ? IDS_APPLY_WOULD_TOTAL : IDS_APPLY_TOTAL;
  return text + Text(total, {std::to_string(changed), std::to_string(failed)}) + "\n";
}

std::string JsonLine(const std::vector<Outcome>& outcomes, int changed, int failed, bool dryRun) {
  Json changes = Json::array();
  for (const Outcome& outcome : outcomes) {
    Json change{{"name", outcome.wanted.name},
                {"location", outcome.location ? LocationName(outcome.location) : outcome.wanted.locationText},
                {"from", outcome.from ? Json(StateWord(*outcome.from)) : Json(nullptr)},
                {"to", StateWord(outcome.wanted.enabled)},
                {"result", outcome.result}};
    if (!outcome.englishError.empty()) change["error"] = outcome.englishError;
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
      outcomes.push_back({wanted, standing.location, from, "failed", {}, {}});
      SetError(outcomes.back(), [&] { return Judge(rows, wanted, SameBytesOf(session.store)).error; });
    } else if (standing.move) {
      standing.move->checked = wanted.enabled;
      const char* result = options.dryRun ? "would change" : "changed";  // untranslated: a JSON value
      outcomes.push_back({wanted, standing.location, from, result, {}, {}});
    }
  }
  if (!options.dryRun) {
    session.store.ApplyCheckChanges(rows);
    session.store.LoadStartupList(rows);
    for (Outcome& outcome : outcomes) {
      if (outcome.result != "changed" || Lies(rows, outcome.wanted, outcome.location, session.store)) continue;
      outcome.result = "failed";
      SetError(outcome, [&] { return Text(outcome.wanted.enabled ? IDS_STILL_DISABLED : IDS_STILL_ENABLED); });
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
                           : Summary(outcomes, changed, failed, options.dryRun));
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddApplyCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"apply", Text(IDS_APPLY_VERB),
                    {{"FILE", "", Text(IDS_STATE_FILE_OPERAND), true},
                     {"--dry-run", "", Text(IDS_DRY_RUN_OPTION)},
                     {"--json", "", Text(IDS_APPLY_JSON_OPTION)}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunApply(session, {given.Value("FILE"), given.Has("--dry-run"), given.Has("--json")});
                   }});
}

}  // namespace kestrun::cli
