#pragma once
// The info tip of a row of the main list: where the entry lies, its whole command or path, what it comes
// with (a packaged app's task: the package), and why it is unticked when Windows' own startup settings
// switched it off; once known, the file it runs,
// who made it and whether its signature holds. The two columns cannot say any of this.
#include <string>

#include "store/EntryTarget.h"
#include "store/EntryTrust.h"
#include "store/StartupStore.h"

namespace kestrun {

// What a row runs, found off the window's thread; until then the tip says what the scan read.
struct RowFacts {
  bool resolved = false;
  EntryTarget target;
  FilePublisher publisher;  // signature empty: not checked yet, or no verdict
};

std::string EntryTip(const StartupRow& row, const RowFacts& facts = {});

// The tip's words for a verdict: "Signed by ...", "Not signed", ...
std::string VerdictText(Signature signature, const std::string& signer);

}  // namespace kestrun
