#pragma once
// Every text a person reads comes from the programs' string tables (each layer's Texts.rc, one block
// per language): German where the user's interface language is German, English otherwise. The ids are
// the layers' TextIds.h.
#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrun {

// The language the tables are read in (a LANGID): German or US English.
unsigned short TextLanguage();

// The text with this id; empty where no table holds it (the texts test makes sure every one does).
std::string Text(unsigned id);

// The text with %1 ... %9 replaced by the arguments ("%%" is a lone "%"). An argument is put in as it
// is: a name holding "%1" is not read again.
std::string Text(unsigned id, std::initializer_list<std::string_view> arguments);
// The same for a pattern at hand.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);

// While one lives, this thread's texts come from the English tables: for words that go into JSON,
// which reads the same in every language.
class EnglishTexts {
 public:
  EnglishTexts();
  ~EnglishTexts();
  EnglishTexts(const EnglishTexts&) = delete;
  EnglishTexts& operator=(const EnglishTexts&) = delete;
};

}  // namespace kestrun
