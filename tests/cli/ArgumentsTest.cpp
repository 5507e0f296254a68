// The command line: what each verb is given, and each fault named as the user typed it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/Arguments.h"

namespace kestrun::cli {
namespace {

std::string CheckName(const std::string& value) { return value == "bad" ? "no name 'bad'" : ""; }

const ProgramSyntax kProgram{"t", "Tries things.", "t 1.0",
                             {{"do", "Does it",
                               {{"FILE", "", "In", true}, {"--name", "N", "Who", true, CheckName},
                                {"--a", "", "A"}, {"--b", "", "B"}, {"--flag", "", "F"}},
                               {"--a", "--b"}},
                              {"other", "Other", {}}}};

// Run: what the verb got, as FILE|NAME|flag; Help and Error: a part of the text.
TEST(Arguments, EachLineRunsItsVerbWithItsValuesOrSaysWhatIsWrong) {
  struct Case { std::vector<std::string> args; ParseOutcome outcome; const char* text; };
  const Case cases[] = {
      {{"do", "f", "--name", "x", "--flag"}, ParseOutcome::Run, "f|x|1"},
      {{"do", "--name=x", "--flag", "--flag", "f"}, ParseOutcome::Run, "f|x|1"},
      {{"do", "f", "--name=-x"}, ParseOutcome::Run, "f|-x|0"},
      {{"do", "--name", "", "--", "-f"}, ParseOutcome::Run, "-f||0"},
      {{"do", "-", "--name", "x"}, ParseOutcome::Run, "-|x|0"},
      {{}, ParseOutcome::Error, "t: a subcommand is required\nRun 't --help' for usage.\n"},
      {{"Do"}, ParseOutcome::Error, "t: unknown command 'Do': use do or other\n"},
      {{"--bogus", "do"}, ParseOutcome::Error, "t: unknown option '--bogus'\n"},
      {{"do", "f"}, ParseOutcome::Error, "t: --name is required\nRun 't do --help' for usage.\n"},
      {{"do", "--name", "x"}, ParseOutcome::Error, "t: do needs its FILE\n"},
      {{"do", "f", "g", "--name", "x"}, ParseOutcome::Error, "t: unexpected argument 'g'\n"},
      {{"do", "f", "--name", "--flag"}, ParseOutcome::Error, "t: --name needs a value"},
      {{"do", "f", "--name"}, ParseOutcome::Error, "t: --name needs a value"},
      {{"do", "f", "--name", "x", "--name=y"}, ParseOutcome::Error, "t: --name was given more than once\n"},
      {{"do", "f", "--name", "x", "--flag=1"}, ParseOutcome::Error, "t: --flag takes no value\n"},
      {{"do", "f", "--name", "bad"}, ParseOutcome::Error, "t: no name 'bad'\n"},
      {{"do", "f", "--name", "x", "-name"}, ParseOutcome::Error, "t: unknown option '-name'\n"},
      {{"do", "f", "--name", "x", "--b", "--a"}, ParseOutcome::Error, "t: --b excludes --a\n"},
      {{"other", "--", "f"}, ParseOutcome::Error, "t: unexpected argument 'f'\n"},
      {{"--version", "do"}, ParseOutcome::Help, "t 1.0\n"},
      {{"-h"}, ParseOutcome::Help, "  do        Does it\n  other     Other\n"},
      // Help wins over the faults of the line it ends.
      {{"do", "--bogus", "--help"}, ParseOutcome::Help, "Usage: t do FILE --name N [--a | --b] [--flag]\n"},
      {{"do", "-h"}, ParseOutcome::Help, "  --name N    Who\n"},
  };
  for (const Case& c : cases) {
    const ParsedLine line = ParseCommandLine(kProgram, c.args);
    const std::string given = line.arguments.Value("FILE") + "|" + line.arguments.Value("--name") + "|" +
                              (line.arguments.Has("--flag") ? "1" : "0");
    std::string joined;
    for (const std::string& arg : c.args) joined += "'" + arg + "' ";
    EXPECT_EQ(line.outcome, c.outcome) << joined << ": " << line.text;
    EXPECT_THAT(c.outcome == ParseOutcome::Run ? given : line.text, ::testing::HasSubstr(c.text)) << joined;
  }
}

}  // namespace
}  // namespace kestrun::cli
