// The console tool's command line read by hand: a parser library would bring iostreams, and with them
// most of the program's size.
#include "cli/Arguments.h"

#include "base/Texts.h"
#include "cli/TextIds.h"

#include <algorithm>

namespace kestrun::cli {
namespace {

bool IsOperand(const Parameter& parameter) { return parameter.name.empty() || parameter.name[0] != '-'; }

// A lone "-" is an operand, as in most tools.
bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

bool IsHelp(const std::string& arg) { return arg == "-h" || arg == "--help"; }

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(text.size() < width ? width - text.size() : 1, ' ');
}

std::string Shown(const Parameter& parameter) {
  return IsOperand(parameter) || parameter.value.empty() ? parameter.name : parameter.name + " " + parameter.value;
}

std::string Usage(const ProgramSyntax& program, const VerbSyntax& verb) {
  std::string text = program.name + " " + verb.name;
  for (const Parameter& parameter : verb.parameters) {
    if (parameter.name == verb.exclusive.second) continue;
    std::string word = Shown(parameter);
    if (parameter.name == verb.exclusive.first) word += " | " + verb.exclusive.second;
    text += " " + (parameter.required ? word : "[" + word + "]");
  }
  return text;
}

std::string VerbHelp(const ProgramSyntax& program, const VerbSyntax& verb) {
  size_t width = 12;
  for (const Parameter& parameter : verb.parameters) width = std::max(width, Shown(parameter).size() + 2);
  std::string text = Text(IDS_USAGE, {Usage(program, verb)}) + "\n\n" + verb.help + "\n\n";
  for (const Parameter& parameter : verb.parameters)
    text += "  " + Padded(Shown(parameter), width) + parameter.help + "\n";
  return text + "  " + Padded("-h, --help", width) + Text(IDS_HELP_OPTION) + "\n";
}

std::string ProgramHelp(const ProgramSyntax& program) {
  std::string text = program.help + "\n\n" + Text(IDS_PROGRAM_USAGE, {program.name}) + "\n\n" + Text(IDS_VERBS) + "\n";
  for (const VerbSyntax& verb : program.verbs) text += "  " + Padded(verb.name, 10) + verb.help + "\n";
  return text + "\n" + Text(IDS_OPTIONS) + "\n  -h, --help   " + Text(IDS_PROGRAM_HELP_OPTION) + "\n  --version    " +
         Text(IDS_VERSION_OPTION) + "\n";
}

std::string VerbNames(const ProgramSyntax& program) {
  std::string text;
  for (size_t i = 0; i < program.verbs.size(); ++i)
    text += (i == 0 ? "" : i + 1 == program.verbs.size() ? " " + Text(IDS_OR) + " " : ", ") + program.verbs[i].name;
  return text;
}

ParsedLine Failed(const ProgramSyntax& program, const std::string& verb, const std::string& message) {
  ParsedLine line;
  line.text = program.name + ": " + message + "\n" +
              Text(IDS_RUN_HELP, {program.name + (verb.empty() ? "" : " " + verb)}) + "\n";
  return line;
}

// Reads one verb's words into arguments; the first fault, or "" for none.
class VerbReader {
 public:
  explicit VerbReader(const VerbSyntax& verb) : verb_(verb) {}

  std::string Read(const std::vector<std::string>& args, Arguments& arguments) {
    arguments_ = &arguments;
    bool onlyOperands = false;
    for (size_t i = 1; i < args.size(); ++i) {
      const std::string& arg = args[i];
      if (!onlyOperands && arg == "--") {
        onlyOperands = true;
      } else if (!onlyOperands && IsHelp(arg)) {
        help_ = true;
      } else if (onlyOperands || !LooksLikeOption(arg)) {
        Operand(arg);
      } else {
        Option(args, i);
      }
    }
    for (const Parameter& parameter : verb_.parameters)
      if (parameter.required && !arguments.Has(parameter.name))
        Fail(IsOperand(parameter) ? Text(IDS_NEEDS_OPERAND, {verb_.name, parameter.name})
                                  : Text(IDS_OPTION_REQUIRED, {parameter.name}));
    if (!verb_.exclusive.first.empty() && arguments.Has(verb_.exclusive.first) && arguments.Has(verb_.exclusive.second))
      Fail(Text(IDS_EXCLUDES, {verb_.exclusive.second, verb_.exclusive.first}));
    return error_;
  }

  bool Help() const { return help_; }

 private:
  void Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
  }

  void Give(const Parameter& parameter, const std::string& value) {
    // A flag may be repeated; an operand never is, the next one takes the word.
    if (!parameter.value.empty() && arguments_->Has(parameter.name))
      return Fail(Text(IDS_GIVEN_TWICE, {parameter.name}));
    if (parameter.check)
      if (const std::string why = parameter.check(value); !why.empty()) return Fail(why);
    arguments_->Set(parameter.name, value);
  }

  void Operand(const std::string& arg) {
    for (const Parameter& parameter : verb_.parameters)
      if (IsOperand(parameter) && !arguments_->Has(parameter.name)) return Give(parameter, arg);
    Fail(Text(IDS_UNEXPECTED_ARGUMENT, {arg}));
  }

  // args[i] is "--name", "--name=VALUE" or "--name VALUE" (then i moves past the value).
  void Option(const std::vector<std::string>& args, size_t& i) {
    const size_t equals = args[i].find('=');
    const std::string name = args[i].substr(0, equals);
    const auto known = std::find_if(verb_.parameters.begin(), verb_.parameters.end(),
                                    [&name](const Parameter& parameter) { return parameter.name == name; });
    if (known == verb_.parameters.end() || IsOperand(*known)) return Fail(Text(IDS_UNKNOWN_OPTION, {name}));
    if (known->value.empty())
      return equals == std::string::npos ? Give(*known, "") : Fail(Text(IDS_TAKES_NO_VALUE, {name}));
    if (equals != std::string::npos) return Give(*known, args[i].substr(equals + 1));
    if (i + 1 < args.size() && !LooksLikeOption(args[i + 1])) return Give(*known, args[++i]);
    Fail(Text(IDS_NEEDS_VALUE, {name, known->value}));
  }

  const VerbSyntax& verb_;
  Arguments* arguments_ = nullptr;
  std::string error_;
  bool help_ = false;
};

}  // namespace

std::string Arguments::Value(const std::string& name, const std::string& otherwise) const {
  const auto found = given_.find(name);
  return found == given_.end() ? otherwise : found->second;
}

ParsedLine ParseCommandLine(const ProgramSyntax& program, const std::vector<std::string>& args) {
  if (args.empty()) return Failed(program, "", Text(IDS_NO_SUBCOMMAND));
  if (IsHelp(args[0])) return {ParseOutcome::Help, 0, {}, ProgramHelp(program)};
  if (args[0] == "--version") return {ParseOutcome::Help, 0, {}, program.version + "\n"};
  if (LooksLikeOption(args[0])) return Failed(program, "", Text(IDS_UNKNOWN_OPTION, {args[0]}));
  for (size_t verb = 0; verb < program.verbs.size(); ++verb) {
    if (program.verbs[verb].name != args[0]) continue;
    ParsedLine line{ParseOutcome::Run, verb, {}, {}};
    VerbReader reader(program.verbs[verb]);
    const std::string error = reader.Read(args, line.arguments);
    if (reader.Help()) return {ParseOutcome::Help, verb, {}, VerbHelp(program, program.verbs[verb])};
    return error.empty() ? line : Failed(program, args[0], error);
  }
  return Failed(program, "", Text(IDS_UNKNOWN_COMMAND, {args[0], VerbNames(program)}));
}

}  // namespace kestrun::cli
