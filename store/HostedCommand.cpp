// rundll32's and cmd's arguments read as those programs read them, as far as that is certain.
#include "store/HostedCommand.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kestrun {
namespace {

using Search = HostedCommand::Search;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// A word quoted (without its quotes) or up to the next blank, and what follows it. Nothing for a
// quote that never closes, or one a word goes on after (cmd would join them).
struct Word {
  std::string text;
  bool quoted = false;
  std::string_view rest;
};
std::optional<Word> NextWord(std::string_view text) {
  text = TrimLeft(text);
  if (text.empty()) return std::nullopt;
  if (text.front() == '"') {
    const size_t close = text.find('"', 1);
    if (close == std::string_view::npos || (close + 1 < text.size() && !IsBlank(text[close + 1]))) return std::nullopt;
    return Word{std::string(text.substr(1, close - 1)), true, text.substr(close + 1)};
  }
  const size_t end = std::min(text.find_first_of(" \t"), text.size());
  if (text.substr(0, end).find('"') != std::string_view::npos) return std::nullopt;
  return Word{std::string(text.substr(0, end)), false, text.substr(end)};
}

bool OneOf(const std::string& word, std::initializer_list<std::string_view> words) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

// cmd takes a word for a built-in command when it starts with the command's name and goes on with
// no letter or digit ("echo.", "cd\").
bool IsBuiltIn(std::string_view word) {
  size_t n = 0;
  while (n < word.size() && std::isalpha(static_cast<unsigned char>(word[n]))) ++n;
  if (n < word.size() && (std::isalnum(static_cast<unsigned char>(word[n])) || word[n] == '_' || word[n] == '-'))
    return false;
  return OneOf(Lower(word.substr(0, n)),
               {"assoc", "break", "call", "cd", "chdir", "cls", "color", "copy", "date", "del", "dir", "dpath", "echo",
                "endlocal", "erase", "exit", "for", "ftype", "goto", "if", "keys", "md", "mkdir", "mklink", "move",
                "path", "pause", "popd", "prompt", "pushd", "rd", "rem", "ren", "rename", "rmdir", "set", "setlocal",
                "shift", "start", "time", "title", "type", "ver", "verify", "vol"});
}

// Operators, escapes and redirections outside quotes, and variables anywhere, make cmd's reading
// its own.
bool Uncertain(std::string_view command, bool delayed) {
  bool quoted = false;
  for (const char c : command) {
    if (c == '"') quoted = !quoted;
    if (c == '%' || (delayed && c == '!') || (!quoted && std::string_view("&|<>()^").find(c) != std::string_view::npos))
      return true;
  }
  return !command.empty() && command.front() == '@';
}

// cmd's quote rule: a command line with exactly two quotes around the name of a program that holds a
// blank (and none of &<>()@^|) keeps them; otherwise a leading quote and the last quote are taken away.
std::string AsCmdReadsIt(std::string command, bool stripAlways,
                         const std::function<bool(const std::string&)>& isProgram) {
  if (command.empty() || command.front() != '"') return command;
  const size_t last = command.rfind('"');
  if (!stripAlways && std::count(command.begin(), command.end(), '"') == 2) {
    const std::string inner = command.substr(1, last - 1);
    if (inner.find_first_of("&<>()@^|") == std::string::npos && inner.find_first_of(" \t") != std::string::npos &&
        isProgram(inner))
      return command;
  }
  return command.substr(1, last == 0 ? 0 : last - 1) + command.substr(last == 0 ? 1 : last + 1);
}

// start ["title"] [/flag...] program [arguments]: a quoted word before the program is its title.
std::optional<HostedCommand> StartCommand(std::string_view rest) {
  std::optional<Word> word = NextWord(rest);
  const bool titled = word && word->quoted;
  if (titled) word = NextWord(word->rest);
  for (; word && !word->quoted && word->text.front() == '/'; word = NextWord(word->rest)) {
    const std::string option = Lower(word->text);
    if (option == "/node" || option == "/affinity") {
      if (!(word = NextWord(word->rest))) return std::nullopt;
    } else if (!OneOf(option, {"/min", "/max", "/wait", "/b", "/i", "/low", "/normal", "/high", "/realtime",
                               "/abovenormal", "/belownormal", "/separate", "/shared"})) {
      return std::nullopt;  // /d moves the search, and anything unknown is not certain
    }
  }
  if (!word || (word->quoted && !titled) || word->text.empty()) return std::nullopt;
  return HostedCommand{word->text, std::string(TrimLeft(word->rest)), word->quoted, Search::Start};
}

}  // namespace

std::optional<HostedCommand> Rundll32Command(std::string_view arguments) {
  const std::string_view text = TrimLeft(arguments);
  HostedCommand command{{}, {}, false, Search::Library};
  size_t comma = text.find(',');
  if (!text.empty() && text.front() == '"') {
    const size_t close = text.find('"', 1);
    if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ',') return std::nullopt;
    command.program = text.substr(1, close - 1);
    command.quoted = true;
    comma = close + 1;
  } else if (comma != std::string_view::npos) {
    command.program = text.substr(0, comma);
  }
  if (comma == std::string_view::npos || command.program.empty() ||
      (!command.quoted && command.program.find_first_of(" \t\"") != std::string::npos))
    return std::nullopt;
  command.arguments = TrimLeft(text.substr(comma + 1));
  if (command.arguments.empty()) return std::nullopt;  // no entry point: rundll32 runs nothing of it
  return command;
}

std::optional<HostedCommand> CmdCommand(std::string_view arguments,
                                        const std::function<bool(const std::string&)>& isProgram) {
  bool delayed = false, stripAlways = false;
  std::optional<Word> word = NextWord(arguments);
  for (;; word = NextWord(word->rest)) {
    if (!word || word->quoted || word->text.front() != '/') return std::nullopt;  // no /c or /k: a prompt
    const std::string option = Lower(word->text);
    if (OneOf(option, {"/c", "/k", "/r"})) break;
    if (option == "/s") stripAlways = true;
    else if (option == "/v:on") delayed = true;
    else if (!OneOf(option, {"/q", "/d", "/a", "/u", "/v:off", "/e:on", "/e:off", "/f:on", "/f:off"}) &&
             option.rfind("/t:", 0) != 0)
      return std::nullopt;
  }
  const std::string command = AsCmdReadsIt(std::string(TrimLeft(word->rest)), stripAlways, isProgram);
  if (Uncertain(command, delayed)) return std::nullopt;
  const std::optional<Word> first = NextWord(command);
  if (!first || first->text.empty() || (!first->quoted && first->text.find_first_of(",;=") != std::string::npos))
    return std::nullopt;
  if (!first->quoted && Lower(first->text) == "start") return StartCommand(first->rest);
  if (!first->quoted && IsBuiltIn(first->text)) return std::nullopt;
  return HostedCommand{first->text, std::string(TrimLeft(first->rest)), first->quoted, Search::Command};
}

}  // namespace kestrun
