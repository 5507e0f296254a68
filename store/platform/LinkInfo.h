#pragma once
// A shell link's location block with the target's exact UTF-16 path. Wine's link writer stores the
// local path in the ANSI code page only, where a name outside it is lost (Windows adds the Unicode
// path itself); this puts it in, as the link format provides, for links that lack it.
#include <optional>
#include <string>

namespace kestrun {

// The link file's bytes with its local location block rewritten to hold path in UTF-16 and
// ansiPath in the ANSI field; nothing when the link already has a Unicode path, has no local
// location block, or is not a link this understands.
std::optional<std::string> WithUnicodeLocalPath(const std::string& link, const std::wstring& path,
                                                const std::string& ansiPath);

}  // namespace kestrun
