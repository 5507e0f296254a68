#pragma once
// The info tip of a row of the main list: where the entry lies, its whole command or path, and why
// it is unticked when Windows' own startup settings switched it off. The two columns cannot say
// which "Run" key a name lies in.
#include <string>

#include "store/StartupStore.h"

namespace kestrun {

std::string EntryTip(const StartupRow& row);

}  // namespace kestrun
