#pragma once
// Conversions between the ANSI code page (UTF-8 under our manifest) and UTF-16, without length limits.
#include <string>

namespace kestrun {

std::wstring ToWide(const std::string& text);
std::string FromWide(const std::wstring& text);

}  // namespace kestrun
