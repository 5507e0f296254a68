#pragma once
// Text is carried as WTF-8: UTF-8 that also encodes lone UTF-16 surrogates, so that every name the
// system can hold (a registry value name with an unpaired surrogate included) survives a round trip
// to UTF-16 and back. The conversions never depend on the process code page.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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

// Names looked up as SameName compares them: by their ASCII-folded form at once, one by one only
// where a name lies outside ASCII (its letters may fold in ways ASCII's do not, into ASCII too).
class NameIndex {
 public:
  // Of names one ASCII letter case apart, the first added stays (the registry and the file system
  // hold no two names that compare the same).
  void Add(const std::string& name, std::size_t id);
  [[nodiscard]] std::optional<std::size_t> Find(const std::string& name) const;

 private:
  std::unordered_map<std::string, std::size_t> byFolded_;
  std::vector<std::pair<std::string, std::size_t>> beyondAscii_;
};

}  // namespace kestrun
