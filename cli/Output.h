#pragma once
// Formatting rows as aligned text or JSON, and writing whole blocks: under Wine every write to a
// character device is a server round trip, so output is built in memory and written at once.
#include <cstdint>
#include <string>

#include <vector>

#include "store/StartupStore.h"
#include "cli/EntryFacts.h"

namespace kestrun::cli {

std::string LocationName(std::int32_t code);  // the location's short name, "?" for an unknown code
// "enabled" when Windows will start it at the next log-on, else "disabled" (parked, or switched off
// in Windows' own startup settings).
std::string StateName(const StartupRow& row);
// The same state in words for a message, in the user's language.
std::string StateText(bool enabled);
std::string StateText(const StartupRow& row);
// "1 entry", "2 entries".
std::string EntryCount(size_t count);
// A name or path as one unambiguous line: as it is, or in double quotes with C escapes (\n, \t,
// \xNN, \uD800 for a lone surrogate, \\ and \") when it holds a control character or a lone
// surrogate, begins or ends with a blank, or begins with a quote.
std::string Printable(const std::string& text);
// With facts, each row's state carries "!" for an unquoted path and "?" for a missing program.
std::string FormatTable(const StartupRows& rows, const std::vector<EntryFacts>* facts = nullptr);
// A JSON array of the rows with their facts, or one object a line (JSON Lines).
std::string FormatJson(const StartupRows& rows, const std::vector<EntryFacts>& facts, bool oneLineEach = false);

// A message as the tool words it after "kestrun-cli: ": lower case first ("a subcommand is required"),
// unless it begins with a name or an abbreviation ("HKCU Run", "C:\x"), or is German, whose nouns
// keep their capital.
std::string AsClause(const std::string& message);

void WriteOutput(const std::string& text);
void WriteError(const std::string& text);

}  // namespace kestrun::cli
