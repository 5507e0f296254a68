#pragma once
// What a script wants to know of an entry beyond its row: where exactly it lives, its kind, and the
// program its command starts, split as Windows splits it.
#include <string>

#include "store/StartupStore.h"

namespace kestrun::cli {

struct EntryFacts {
  std::string source;     // the key path with its hive, or the folder
  std::string scope;      // "user" or "machine"
  std::string valueType;  // "REG_SZ", "REG_EXPAND_SZ" or "file"
  std::string command;    // the raw text (a file entry: its path)
  std::string executable;
  std::string arguments;
  bool targetExists = false;
};

struct SplitCommandLine {
  std::string executable;
  std::string arguments;
};

// A quoted first token; else the longest leading run of words that names an existing file; else the
// first word.
SplitCommandLine SplitCommand(IPlatform& platform, const std::string& command);

EntryFacts FactsOf(IPlatform& platform, const StartupRow& row);

}  // namespace kestrun::cli
