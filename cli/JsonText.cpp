// JSON text for names held as WTF-8: lone surrogates escaped both ways, and a file's text bounded and
// decoded before the parser sees it.
#include "cli/JsonText.h"

#include <cstdio>

#include "base/Text.h"
#include "base/Texts.h"
#include "cli/TextIds.h"

namespace kestrun::cli {
namespace {

constexpr size_t kMaxBytes = 16 * 1024 * 1024;
constexpr int kMaxDepth = 64;
// A noncharacter no name needs: it and four hex digits stand for one UTF-16 code unit while parsing.
constexpr char kStandIn[] = "\xEF\xB7\x90";
constexpr unsigned kStandInUnit = 0xFDD0;

bool IsSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

std::string Hex4(unsigned unit) {
  char hex[5];
  std::snprintf(hex, sizeof hex, "%04x", unit);
  return hex;
}

std::optional<unsigned> HexAt(const std::string& text, size_t at) {
  if (at + 4 > text.size()) return std::nullopt;
  unsigned unit = 0;
  for (size_t k = at; k < at + 4; ++k) {
    const char c = text[k];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return std::nullopt;
    unit = unit * 16 + static_cast<unsigned>(digit);
  }
  return unit;
}

// The escape \uXXXX at text[i] (the backslash): copied as it is, or stood in for when it is a lone
// surrogate or the stand-in itself. Returns the bytes consumed.
size_t Escape(const std::string& text, size_t i, std::string& out) {
  const std::optional<unsigned> unit = HexAt(text, i + 2);
  if (!unit) {
    out += text.substr(i, 2);
    return 2;
  }
  const bool high = *unit >= 0xD800 && *unit <= 0xDBFF;
  const bool escaped = i + 8 <= text.size() && text.compare(i + 6, 2, "\\u") == 0;
  const unsigned next = escaped ? HexAt(text, i + 8).value_or(0) : 0;
  if (high && next >= 0xDC00 && next <= 0xDFFF) {
    out += text.substr(i, 12);
    return 12;
  }
  out += IsSurrogate(*unit) || *unit == kStandInUnit ? kStandIn + Hex4(*unit) : text.substr(i, 6);
  return 6;
}

// The file's bytes as UTF-8: a UTF-16 file (little or big endian) by its byte-order mark, and UTF-8
// with or without one.
std::optional<std::string> Utf8Of(const std::string& bytes, std::string& error) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return bytes.substr(3);
  const bool little = bytes.starts_with("\xFF\xFE"), big = bytes.starts_with("\xFE\xFF");
  if (!little && !big) return bytes;
  if (bytes.size() % 2 != 0) {
    error = Text(IDS_ODD_UTF16);
    return std::nullopt;
  }
  std::wstring wide;
  for (size_t i = 2; i < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
    wide += static_cast<wchar_t>(little ? first | second << 8 : first << 8 | second);
  }
  return FromWide(wide);
}

}  // namespace

std::string JsonQuote(const std::string& text) {
  const std::wstring wide = ToWide(text);
  std::string out = "\"";
  for (size_t i = 0; i < wide.size(); ++i) {
    const unsigned unit = static_cast<unsigned>(wide[i]);
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                      wide[i + 1] <= 0xDFFF;
    if (pair) {
      out += FromWide(wide.substr(i++, 2));
    } else if (unit == '"' || unit == '\\') {
      out += '\\', out += static_cast<char>(unit);
    } else if (unit < 0x20 || IsSurrogate(unit)) {
      const char* named = unit == '\n' ? "\\n" : unit == '\r' ? "\\r" : unit == '\t' ? "\\t" : nullptr;
      out += named ? named : "\\u" + Hex4(unit);
    } else {
      out += FromWide(wide.substr(i, 1));
    }
  }
  return out + "\"";
}

std::optional<std::string> PrepareJson(const std::string& bytes, std::string& error) {
  if (bytes.size() > kMaxBytes) {
    error = Text(IDS_JSON_TOO_LARGE, {std::to_string(kMaxBytes >> 20)});
    return std::nullopt;
  }
  const std::optional<std::string> decoded = Utf8Of(bytes, error);
  if (!decoded) return std::nullopt;
  const std::string& text = *decoded;
  std::string out;
  out.reserve(text.size());
  bool inString = false;
  int depth = 0;
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (inString && c == '\\' && i + 1 < text.size() && text[i + 1] == 'u') {
      i += Escape(text, i, out);
      continue;
    }
    if (inString && c == '\\') {
      out += text.substr(i, 2);
      i += 2;
      continue;
    }
    if (inString && text.compare(i, 3, kStandIn) == 0) {
      out += kStandIn + Hex4(kStandInUnit);
      i += 3;
      continue;
    }
    if (c == '"') inString = !inString;
    if (!inString && (c == '[' || c == '{') && ++depth > kMaxDepth) {
      error = Text(IDS_JSON_TOO_DEEP, {std::to_string(kMaxDepth)});
      return std::nullopt;
    }
    if (!inString && (c == ']' || c == '}')) --depth;
    out += c;
    ++i;
  }
  return out;
}

std::string RestoreSurrogates(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const std::optional<unsigned> unit = text.compare(i, 3, kStandIn) == 0 ? HexAt(text, i + 3) : std::nullopt;
    if (unit) {
      out += FromWide(std::wstring(1, static_cast<wchar_t>(*unit)));
      i += 7;
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace kestrun::cli
