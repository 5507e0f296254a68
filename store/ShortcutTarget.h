#pragma once
// The target a new shortcut holds. A link keeps it as a list of folder items and its folder as the
// working folder: given with "/" or relative, the link would name nothing, or another file at log-on.
#include <string>

#include "store/platform/Platform.h"

namespace kestrun {

// "/" read as "\" (Windows takes both), and a relative name (notepad.exe, ..\x.exe, \x.exe, C:x.exe)
// made the full path of the file it names from the current folder: the file a check of the name
// finds. The PATH is not searched. "" when no full path can be made.
std::string ShortcutTargetOf(IPlatform& platform, const std::string& target);

}  // namespace kestrun
