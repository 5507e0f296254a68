// kestrun-cli check FILE: does the machine match the desired-state file? Made for detection scripts
// (Intune's contract): exit 0 it matches, 1 it does not, 3 the machine or the file could not be
// read; one summary line of at most 2,048 characters on stdout and nothing on stderr.
#include <cstdio>

#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/DesiredState.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

namespace kestrun::cli {
namespace {

constexpr size_t kMaxSummary = 2048;

// Control characters of names and locations escaped, so that the line stays one line. Candidates the
// selection lists on lines of their own ("\n  ") join it first.
std::string OneLine(const std::string& text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if (text.compare(i, 3, "\n  ") == 0) {
      line += ' ';
      i += 2;
    } else if (c < 0x20 || c == 0x7F || c1) {
      const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : c;
      const char* named = code == '\n' ? "\\n" : code == '\r' ? "\\r" : code == '\t' ? "\\t" : nullptr;
      char hex[12];
      std::snprintf(hex, sizeof hex, "\\x%02x", code);
      line += named ? named : hex;
    } else {
      line += text[i];
    }
  }
  return line;
}

// One line, cut on a character boundary, with an ellipsis saying that it was cut.
std::string Bounded(const std::string& text) {
  const std::string line = OneLine(text);
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
    WriteOutput(Bounded(Text(IDS_UNREADABLE, {error})) + "\n");
    return kExitUnreadable;
  }
  StartupRows rows;
  try {
    session.store.LoadStartupList(rows);
  } catch (const std::exception& failure) {
    WriteOutput(Bounded(Text(IDS_MACHINE_UNREADABLE, {failure.what()})) + "\n");
    return kExitUnreadable;
  }
  // A place that could not be read may hold what the file asks for: no verdict without it.
  if (session.report.Count()) {
    WriteOutput(Bounded(Text(IDS_MACHINE_UNREADABLE, {session.report.Last()})) + "\n");
    return kExitUnreadable;
  }
  std::string differences;
  int differing = 0;
  for (const WantedEntry& wanted : *items) {
    const Standing standing = Judge(rows, wanted, SameBytesOf(session.store));
    if (standing.error.empty() && !standing.move) continue;
    ++differing;
    const std::string now = standing.halfMoved ? Text(IDS_HALF_MOVED) : StateText(standing.enabled);
    const std::string describe = Describe(wanted, standing.location);
    differences += "; " + (standing.error.empty()
                               ? Text(IDS_IS_NOT_AS_WANTED, {describe, now, StateText(wanted.enabled)})
                               : standing.error);
  }
  const std::string count = EntryCount(items->size());
  if (differing == 0) {
    WriteOutput(Text(IDS_MATCHES, {count}) + "\n");
    return kExitOk;
  }
  WriteOutput(Bounded(Text(IDS_DIFFERS, {std::to_string(differing), count}) + differences) + "\n");
  return kExitFailed;
}

}  // namespace

void AddCheckCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"check", Text(IDS_CHECK_VERB), {{"FILE", "", Text(IDS_STATE_FILE_OPERAND), true}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunCheck(session, given.Value("FILE"));
                   }});
}

}  // namespace kestrun::cli
