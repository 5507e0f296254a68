#include "base/Text.h"

#include <windows.h>

namespace kestrun {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// One code point from text at i (advanced past it); 0xFFFD and one byte for anything malformed.
// A three-byte surrogate (ED A0..BF xx) is accepted: that is the WTF-8 part.
char32_t DecodeOne(const std::string& text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  char32_t cp = 0, min = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + length > text.size()) {
    ++i;
    return kReplacement;
  }
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(byte(i + k))) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) {
    ++i;
    return kReplacement;
  }
  i += length;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::wstring ToWide(const std::string& text) {
  // Most text is ASCII from its first character to its last: that much is copied without decoding.
  std::wstring wide(text.size(), L'\0');
  size_t i = 0;
  for (; i < text.size() && static_cast<unsigned char>(text[i]) < 0x80; ++i) wide[i] = static_cast<wchar_t>(text[i]);
  wide.resize(i);
  while (i < text.size()) {
    const char32_t cp = DecodeOne(text, i);
    if (cp < 0x10000) {
      wide += static_cast<wchar_t>(cp);
    } else {
      wide += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return wide;
}

std::string FromWide(std::wstring_view text) {
  std::string narrow(text.size(), '\0');
  size_t i = 0;
  for (; i < text.size() && text[i] < 0x80; ++i) narrow[i] = static_cast<char>(text[i]);
  narrow.resize(i);
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
      AppendUtf8(narrow, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(narrow, static_cast<char32_t>(c));  // a lone surrogate too: three bytes of its own
    }
  }
  return narrow;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const std::wstring wa = ToWide(a), wb = ToWide(b);
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_EQUAL;
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

void NameIndex::Add(const std::string& name, std::size_t id) {
  if (byFolded_.emplace(AsciiLower(name), id).second && !IsAscii(name)) beyondAscii_.emplace_back(name, id);
}

std::optional<std::size_t> NameIndex::Find(const std::string& name) const {
  if (const auto same = byFolded_.find(AsciiLower(name)); same != byFolded_.end()) return same->second;
  if (IsAscii(name)) {
    for (const auto& [other, id] : beyondAscii_)
      if (SameName(other, name)) return id;
    return std::nullopt;
  }
  for (const auto& [folded, id] : byFolded_)
    if (SameName(folded, name)) return id;
  return std::nullopt;
}

bool NameBefore(const std::string& a, const std::string& b) {
  const std::wstring wa = ToWide(a), wb = ToWide(b);
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_LESS_THAN;
}

}  // namespace kestrun
