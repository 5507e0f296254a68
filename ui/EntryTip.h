#pragma once
// The info tip of a row of the main list: where the entry lies, its whole command or path, and why
// it is unticked when Windows' own startup settings switched it off. The two columns cannot say
// which "Run" key a name lies in.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "store/StartupStore.h"

namespace kestrun {

std::string EntryTip(const StartupRow& row);

// Answers the list's LVN_GETINFOTIPA or LVN_GETINFOTIPW from the rows it shows; false for any other
// notification, or a row it does not show.
bool AnswerInfoTip(const NMHDR& header, const StartupRows& rows);

}  // namespace kestrun
