#pragma once
// Text is carried as WTF-8: UTF-8 that also encodes lone UTF-16 surrogates, so that every name the
// system can hold (a registry value name with an unpaired surrogate included) survives a round trip
// to UTF-16 and back. The conversions never depend on the process code page.
#include <string>
#include <string_view>

namespace kestrun {

// WTF-8 to UTF-16. Bytes that are no WTF-8 at all become U+FFFD.
std::wstring ToWide(const std::string& text);
// UTF-16 to WTF-8, lossless: a lone surrogate keeps its own three-byte form.
std::string FromWide(std::wstring_view text);

// Names as Windows compares them (registry value names, file names): ordinal, ignoring case.
bool SameName(const std::string& a, const std::string& b);
// The order that comparison gives: a before b.
bool NameBefore(const std::string& a, const std::string& b);
// Letter case folded where every comparison of names folds it the same way: ASCII's letters only.
std::string AsciiLower(std::string text);
bool IsAscii(std::string_view text);

}  // namespace kestrun
