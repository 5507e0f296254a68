#pragma once
// The console tool's command line: its verbs, their options, flags and operands, and their help.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kestrun::cli {

// Why a value will not do, or "" when it will.
using ValueCheck = std::string (*)(const std::string& value);

struct Parameter {
  std::string name;   // "--name" for an option or a flag; "FILE" for an operand, taken in order
  std::string value;  // what an option takes, as help shows it ("NAME"); "" for a flag
  std::string help;
  bool required = false;
  ValueCheck check = nullptr;
};

struct VerbSyntax {
  std::string name;
  std::string help;
  std::vector<Parameter> parameters;
  std::pair<std::string, std::string> exclusive = {};  // two flags that may not be given together
};

// What the command line gave the chosen verb: each parameter given, by name, with its value.
class Arguments {
 public:
  void Set(const std::string& name, const std::string& value) { given_[name] = value; }
  bool Has(const std::string& name) const { return given_.count(name) != 0; }
  std::string Value(const std::string& name, const std::string& otherwise = "") const;

 private:
  std::map<std::string, std::string> given_;
};

enum class ParseOutcome { Run, Help, Error };

struct ParsedLine {
  ParseOutcome outcome = ParseOutcome::Error;
  size_t verb = 0;     // Run: the index of the verb chosen
  Arguments arguments;  // Run: what it was given
  std::string text;    // Help: the text for stdout; Error: the message for stderr
};

struct ProgramSyntax {
  std::string name;  // "kestrun-cli"
  std::string help;
  std::string version;  // what --version prints
  std::vector<VerbSyntax> verbs;
};

// args: the words after the program's name.
ParsedLine ParseCommandLine(const ProgramSyntax& program, const std::vector<std::string>& args);

}  // namespace kestrun::cli
