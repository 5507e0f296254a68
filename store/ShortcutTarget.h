#pragma once
// The target a shortcut holds: for a new one, the full path to write; for an existing one, what its
// own bytes say it starts. A link keeps its target as a list of folder items and its folder as the
// working folder: given with "/" or relative, the link would name nothing, or another file at log-on.
#include <optional>
#include <string>
#include <string_view>

#include "store/platform/Platform.h"

namespace kestrun {

// A program in quotes taken without them, "/" read as "\" (Windows takes both), and a relative name
// (notepad.exe, ..\x.exe, \x.exe, C:x.exe) made the full path of the file it names from the current
// folder: the file a check of the name finds. The PATH is not searched. "" when no full path can be made.
std::string ShortcutTargetOf(IPlatform& platform, const std::string& target);

// A quoted program followed by arguments ("C:\x\x.exe" /q): a command line, which a shortcut made
// here cannot hold (it keeps no arguments), where a program file is asked for.
bool IsCommandLine(const std::string& target);

// Links longer than this are left to the shell: no link another program writes comes near it.
inline constexpr std::size_t kMaxLinkBytes = 1 << 20;

// Each place a shell link file names its target, "" where it names none or holds what cannot be
// read exactly (a name in the ANSI code page outside ASCII: whose code page it is, the file does
// not say).
struct LinkData {
  std::string environmentPath;  // with %NAME% references in it, when the link says to use it
  std::string itemListPath;     // the item list, when every item of it is a drive, folder or file
  std::string infoPath;         // the location block: local base path and common suffix, or share and suffix
  std::string relativePath;     // as stored: relative to the link's own folder
  std::string arguments;
  bool argumentsExact = true;
};

// Reads link file bytes as untrusted input: every size and offset is checked against the bytes
// given, a part that does not fit is not read (nor anything after it). Nothing when the bytes are no
// shell link at all.
std::optional<LinkData> ReadLinkData(std::string_view bytes);

// A path a link holds, relative to its folder or not, as the full path Windows makes of it ("." and
// ".." taken away, never above the root); "" when it depends on more than the folder (C:x.exe).
std::string LinkPathFrom(const std::string& folder, const std::string& path);

}  // namespace kestrun
