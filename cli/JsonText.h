#pragma once
// JSON text for names carried as WTF-8: a lone UTF-16 surrogate is written as its own \udxxx escape
// and read back as itself, where a JSON library would replace or refuse it. Reading also bounds what a
// hostile file may cost: its size and how deeply it nests.
#include <optional>
#include <string>

namespace kestrun::cli {

// text as a quoted JSON string: UTF-8 as it is, control characters and lone surrogates escaped.
std::string JsonQuote(const std::string& text);

// The file's bytes made fit for the JSON parser (UTF-16 with a byte-order mark and UTF-8 with or
// without one read as UTF-8, lone surrogate escapes stood in for), or none with the reason in error
// when it is too large or nests too deeply.
std::optional<std::string> PrepareJson(const std::string& bytes, std::string& error);
// A string the parser read from PrepareJson's text, with its lone surrogates back.
std::string RestoreSurrogates(const std::string& text);

}  // namespace kestrun::cli
