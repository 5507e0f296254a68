#include "base/Texts.h"

#include <windows.h>

#include "base/Text.h"

namespace kestrun {
namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

thread_local int englishScopes = 0;

// A string table resource holds its strings in blocks of sixteen, each a length and that many
// UTF-16 units, with no terminator. Returns false where the block or the string is missing.
bool FindText(unsigned id, LANGID language, std::wstring_view& text) {
  HRSRC block = FindResourceExW(nullptr, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!block) return false;
  HGLOBAL loaded = LoadResource(nullptr, block);
  const auto* at = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
  if (!at) return false;
  const wchar_t* end = at + SizeofResource(nullptr, block) / sizeof(wchar_t);
  for (unsigned skip = id % 16; skip > 0 && at < end; --skip) at += 1 + *at;
  if (at >= end || *at == 0 || at + 1 + *at > end) return false;
  text = std::wstring_view(at + 1, *at);
  return true;
}

}  // namespace

unsigned short TextLanguage() {
  static const LANGID language = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN ? kGerman : kEnglish;
  return language;
}

EnglishTexts::EnglishTexts() { ++englishScopes; }

EnglishTexts::~EnglishTexts() { --englishScopes; }

std::string Text(unsigned id) {
  std::wstring_view text;
  const LANGID language = englishScopes ? kEnglish : TextLanguage();
  if (FindText(id, language, text) || FindText(id, kEnglish, text)) return FromWide(text);
  return {};
}

std::string Text(unsigned id, std::initializer_list<std::string_view> arguments) {
  return FormatText(Text(id), arguments);
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
  std::string result;
  result.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] != '%' || !(next == '%' || (next >= '1' && next <= '9'))) {
      result += pattern[i];
      continue;
    }
    ++i;
    const size_t index = static_cast<size_t>(next - '1');
    if (next == '%') result += '%';
    else if (index < arguments.size()) result += arguments.begin()[index];
  }
  return result;
}

}  // namespace kestrun
