#pragma once
// The target a new shortcut holds. A link keeps it as a list of folder items and its folder as the
// working folder: given with "/" or relative, the link would name nothing, or another file at log-on.
#include <string>

#include "store/platform/Platform.h"

namespace kestrun {

// A program in quotes taken without them, "/" read as "\" (Windows takes both), and a relative name
// (notepad.exe, ..\x.exe, \x.exe, C:x.exe) made the full path of the file it names from the current
// folder: the file a check of the name finds. The PATH is not searched. "" when no full path can be made.
std::string ShortcutTargetOf(IPlatform& platform, const std::string& target);

// A quoted program followed by arguments ("C:\x\x.exe" /q): a command line, which a shortcut made
// here cannot hold (it keeps no arguments), where a program file is asked for.
bool IsCommandLine(const std::string& target);

}  // namespace kestrun
