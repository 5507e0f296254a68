#include "cli/Output.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "base/Text.h"
#include "base/Texts.h"
#include "cli/TextIds.h"

namespace kestrun::cli {
namespace {

// A long name must not push every path off the screen; longer names simply overrun their column.
constexpr size_t kMaxNameColumn = 40;

// Characters, not bytes: the text is UTF-8, and a column holds one glyph per character.
size_t Width(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A lone surrogate in WTF-8: ED A0..BF xx.
bool IsSurrogateAt(const std::string& text, size_t i) {
  return i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xED &&
         (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0xA0;
}

bool NeedsQuotes(const std::string& text) {
  if (text.empty()) return false;
  if (text.front() == ' ' || text.back() == ' ') return true;
  for (size_t i = 0; i < text.size(); ++i)
    if (IsControl(static_cast<unsigned char>(text[i])) || IsSurrogateAt(text, i)) return true;
  return false;
}

// Only what would break a line or hide a character is escaped: a command as written
// ("C:\Program Files\x.exe" /q) keeps its quotes and backslashes.
std::string Escaped(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char code[8];
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (IsControl(c)) {
      std::snprintf(code, sizeof code, "\\x%02X", c);
      out += code;
    } else if (IsSurrogateAt(text, i)) {
      const unsigned unit = ((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
      std::snprintf(code, sizeof code, "\\u%04X", unit);
      out += code;
      i += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void AppendPadded(std::string& line, const std::string& text, size_t width) {
  line += text;
  line.append(width > Width(text) ? width - Width(text) : 0, ' ');
  line += "  ";
}

void WriteAll(DWORD which, const std::string& text) {
  if (text.empty()) return;
  const HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    // A console shows UTF-16 whatever its code page.
    const std::wstring wide = ToWide(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  for (size_t done = 0; done < text.size();) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
    if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0) return;
    done += written;
  }
}

}  // namespace

std::string LocationName(std::int32_t code) { return PlaceName(code); }

std::string StateName(const StartupRow& row) { return StartsAtLogOn(row) ? "enabled" : "disabled"; }

std::string StateText(bool enabled) { return Text(enabled ? IDS_STATE_ENABLED : IDS_STATE_DISABLED); }

std::string StateText(const StartupRow& row) { return StateText(StartsAtLogOn(row)); }

std::string EntryCount(size_t count) {
  return count == 1 ? Text(IDS_ONE_ENTRY) : Text(IDS_ENTRIES, {std::to_string(count)});
}

namespace {

constexpr const char* kSwitchedOffMark = "*";

bool Warns(const EntryFacts* facts, const char* warning) {
  return facts && std::find(facts->warnings.begin(), facts->warnings.end(), warning) != facts->warnings.end();
}

std::string TableState(const StartupRow& row, const EntryFacts* facts = nullptr) {
  std::string state = SwitchedOffByWindows(row) ? StateName(row) + kSwitchedOffMark : StateName(row);
  if (Warns(facts, "unquoted-path")) state += '!';
  if (Warns(facts, "target-missing")) state += '?';
  return state;
}

nlohmann::ordered_json Nullable(const std::optional<std::string>& text) {
  return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json SignatureJson(const EntryFacts& fact) {
  if (!fact.verified) return "unchecked";
  return fact.publisher.signature ? nlohmann::ordered_json(SignatureName(*fact.publisher.signature)) : nullptr;
}

nlohmann::ordered_json ApprovedJson(Approval approved) {
  if (approved == Approval::On) return "on";
  if (approved == Approval::Off) return "off";
  return nullptr;
}

}  // namespace

std::string Printable(const std::string& text) { return NeedsQuotes(text) ? Escaped(text) : text; }

namespace {

using Cells = std::vector<std::string>;

// With --verify, the program's company and the signature's verdict ("-" when there is no file to ask).
Cells RowCells(const StartupRow& row, const EntryFacts* facts, bool verified) {
  Cells cells{TableState(row, facts), LocationName(row.record.GetLocation()), Printable(row.name)};
  if (verified) {
    const FilePublisher none;
    const FilePublisher& publisher = facts ? facts->publisher : none;
    cells.push_back(publisher.company ? Printable(*publisher.company) : "-");
    cells.push_back(publisher.signature ? SignatureName(*publisher.signature) : "-");
  }
  cells.push_back(Printable(row.path));
  return cells;
}

// Every column but the last (the path) padded to its widest cell; from cappedFrom on (the name, the
// company) to at most kMaxNameColumn, and a longer text overruns.
std::string Aligned(const std::vector<Cells>& lines, size_t cappedFrom) {
  std::vector<size_t> widths(lines.front().size(), 0);
  widths[0] = Width("disabled");  // the state column keeps its width when every entry is enabled
  for (const Cells& cells : lines)
    for (size_t i = 0; i + 1 < cells.size(); ++i)
      widths[i] = std::max(widths[i], i >= cappedFrom ? std::min(Width(cells[i]), kMaxNameColumn) : Width(cells[i]));
  std::string text;
  for (const Cells& cells : lines) {
    for (size_t i = 0; i + 1 < cells.size(); ++i) AppendPadded(text, cells[i], widths[i]);
    text += cells.back() + '\n';
  }
  return text;
}

}  // namespace

std::string FormatTable(const StartupRows& rows, const std::vector<EntryFacts>* facts) {
  auto factOf = [facts](size_t i) { return facts && i < facts->size() ? &(*facts)[i] : nullptr; };
  const bool verified =
      facts && std::any_of(facts->begin(), facts->end(), [](const EntryFacts& fact) { return fact.verified; });
  std::vector<Cells> lines{verified ? Cells{"STATE", "LOCATION", "NAME", "COMPANY", "SIGNATURE", "PATH"}
                                    : Cells{"STATE", "LOCATION", "NAME", "PATH"}};
  bool switchedOff = false, unquoted = false, missing = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    lines.push_back(RowCells(rows[i], factOf(i), verified));
    switchedOff = switchedOff || SwitchedOffByWindows(rows[i]);
    unquoted = unquoted || Warns(factOf(i), "unquoted-path");
    missing = missing || Warns(factOf(i), "target-missing");
  }
  std::string text = Aligned(lines, 2);  // the name and what follows it
  if (switchedOff) text += Text(IDS_SWITCHED_OFF_NOTE) + "\n";
  if (unquoted) text += Text(IDS_UNQUOTED_NOTE) + "\n";
  if (missing) text += Text(IDS_MISSING_NOTE) + "\n";
  return text;
}

std::string FormatJson(const StartupRows& rows, const std::vector<EntryFacts>& facts, bool oneLineEach) {
  nlohmann::ordered_json entries = nlohmann::ordered_json::array();
  for (size_t i = 0; i < rows.size(); ++i) {
    const StartupRow& row = rows[i];
    const EntryFacts fact = i < facts.size() ? facts[i] : EntryFacts{};
    entries.push_back({
        {"name", row.name},
        {"path", row.path},
        {"state", StateName(row)},
        {"location", row.record.GetLocation()},
        {"locationName", LocationName(row.record.GetLocation())},
        {"approved", ApprovedJson(row.approved)},
        {"parked", IsParked(row)},
        {"kind", fact.kind},
        {"source", fact.source},
        {"scope", fact.scope},
        {"valueType", fact.valueType},
        {"command", fact.command},
        {"executable", fact.target.executable},
        {"arguments", fact.target.arguments},
        {"targetExists", fact.target.exists},
        {"warnings", fact.warnings},
        {"company", Nullable(fact.publisher.company)},
        {"signature", SignatureJson(fact)},
        {"signer", fact.publisher.signer.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(fact.publisher.signer)},
    });
  }
  // A name that is not valid UTF-8 is shown with replacement characters rather than refused.
  const auto replace = nlohmann::ordered_json::error_handler_t::replace;
  if (!oneLineEach) return entries.dump(2, ' ', false, replace) + "\n";
  std::string text;
  for (const auto& entry : entries) text += entry.dump(-1, ' ', false, replace) + "\n";
  return text;
}

std::string AsClause(const std::string& message) {
  const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
  const auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
  if (message.size() < 2 || !upper(message[0]) || !(lower(message[1]) || message[1] == ' ')) return message;
  if (TextLanguage() != MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) return message;
  return static_cast<char>(message[0] - 'A' + 'a') + message.substr(1);
}

void WriteOutput(const std::string& text) { WriteAll(STD_OUTPUT_HANDLE, text); }

void WriteError(const std::string& text) { WriteAll(STD_ERROR_HANDLE, text); }

}  // namespace kestrun::cli
