#pragma once
// What a script wants to know of an entry beyond its row: where exactly it lives, its kind, the
// program its command starts as Windows resolves it, and (with --verify) who made that program.
#include <optional>
#include <string>
#include <vector>

#include "store/EntryTarget.h"
#include "store/EntryTrust.h"
#include "store/StartupStore.h"

namespace kestrun::cli {

struct EntryFacts {
  std::string source;     // the key path with its hive, or the folder
  std::string scope;      // "user" or "machine"
  std::string valueType;  // "REG_SZ", "REG_EXPAND_SZ" or "file"
  std::string kind;       // "registry", "file", ...
  std::string command;    // the raw text (a file entry: its path)
  EntryTarget target;
  std::vector<std::string> warnings;
  bool verified = false;  // company, signature and signer were asked for
  FilePublisher publisher;
};

// publishers: nullptr leaves company and signature unchecked.
EntryFacts FactsOf(TargetResolver& resolver, PublisherCache* publishers, const StartupRow& row);

}  // namespace kestrun::cli
