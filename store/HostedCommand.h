#pragma once
// What a command host runs, read from the host's arguments as the host reads them: rundll32's
// library before the comma, cmd's /c or /k command, and the program cmd's `start` starts. Where the
// host's reading is not certain (operators, variables, escapes, switches that change quoting or the
// search, built-in commands), nothing: the host itself is then what the entry runs.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrun {

struct HostedCommand {
  // How the host looks the name up: LoadLibrary's order; cmd's (PATH, PATHEXT); start's (cmd's, then
  // the shell's App Paths).
  enum class Search { Library, Command, Start };
  std::string program;  // as written, without quotes
  std::string arguments;
  bool quoted = false;  // else program ends at the first blank, whatever follows it
  Search search = Search::Command;
  bool operator==(const HostedCommand&) const = default;
};

std::optional<HostedCommand> Rundll32Command(std::string_view arguments);

// isProgram: whether cmd finds a program of that name, which decides whether cmd keeps the quotes
// around a quoted command.
std::optional<HostedCommand> CmdCommand(std::string_view arguments,
                                        const std::function<bool(const std::string&)>& isProgram);

}  // namespace kestrun
