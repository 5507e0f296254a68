// kestrun-cli history [--json]: both journals, oldest first, with what stands undone.
#include <nlohmann/json.hpp>

#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/Journals.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

namespace kestrun::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(text.size() < width ? width - text.size() : 0, ' ') + "  ";
}

// One change a line; the places and bytes are in --json.
std::string Table(const Journals& journals) {
  std::string text = Padded("ID", 5) + Padded("TIME (UTC)", 24) + Padded("PROGRAM", 7) + Padded("ACTION", 10) +
                     Padded("LOCATION", 17) + "NAME\n";
  for (const JournalRecord* record : journals.InOrder()) {
    const std::string action = record->undoes ? "undo #" + IdText(record->machine, record->undoes) : record->action;
    text += Padded(IdText(record->machine, record->id), 5) + Padded(record->time, 24) + Padded(record->program, 7) +
            Padded(action, 10) + Padded(LocationName(record->location), 17) + record->name;
    if (const auto by = journals.UndoneBy(*record)) text += "  " + Text(IDS_UNDONE_BY, {IdText(record->machine, *by)});
    text += "\n";
  }
  return text;
}

int RunHistory(CliSession& session, bool json) {
  const Journals journals(session);
  if (!json) {
    WriteOutput(Table(journals));
    return kExitOk;
  }
  Json list = Json::array();
  for (const JournalRecord* record : journals.InOrder()) {
    Json item = Json::parse(FormatJournalLine(*record), nullptr, false);
    item["journal"] = record->machine ? "machine" : "user";
    item["undone"] = journals.UndoneBy(*record).has_value();
    list.push_back(item);
  }
  WriteOutput(list.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  return kExitOk;
}

}  // namespace

void AddHistoryCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"history", Text(IDS_HISTORY_VERB), {{"--json", "", Text(IDS_HISTORY_JSON_OPTION)}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunHistory(session, given.Has("--json"));
                   }});
}

}  // namespace kestrun::cli
