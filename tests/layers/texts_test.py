#!/usr/bin/env python3
"""The string tables are complete, and no text a person reads is written outside them.

Every layer's Texts.rc holds one STRINGTABLE per language; each id of its TextIds.h must be in every
language with the same placeholders. In the folders listed below, a string literal that reads as
words (two words, or one capitalised word) is a text for a person and belongs in a table; a line that
holds such a literal for another reason (a font's or product's name, a key, a name Windows gives)
says so with a comment "// untranslated" and why.
Usage: texts_test.py SOURCE_DIR"""
import pathlib
import re
import sys

LANGUAGES = ("LANG_ENGLISH, SUBLANG_ENGLISH_US", "LANG_GERMAN, SUBLANG_GERMAN")
CHECKED = [
    "app",
    "cli",
    "controls",
    "gui",
    "store",
    "store/platform",
    "ui",
]
# A line break or tab written as an escape ("\\nRuns ") reads as a blank; a lone word may be capitalised
# ("Warning"); an initial ("TS", "X") or a joined name ("GetDpiForWindow") is no word.
WORDS = re.compile(r"[A-Za-z]{2,}[,.:;!?']?\s+[A-Za-z]{2,}|^[A-Z][a-z]+:?$")
# In the window a word in capitals is one too ("WARNING", "BUY"); in the console tool capitals are its
# syntax (operands, the table's headings), and in the store the names Windows reserves ("CON").
CAPITALS = re.compile(r"^[A-Z]{3,}:?$")
WINDOW = ("app", "controls", "gui", "ui")
ESCAPED_BLANK = re.compile(r"\\[rnt]")
LITERAL = re.compile(r'(?<![A-Za-z0-9_])(?:u8|L)?"((?:[^"\\]|\\.)*)"')
PLACEHOLDER = re.compile(r"%[1-9]")


errors = []


def tables(rc):
    """{language: {id: text}} of one Texts.rc."""
    found, language = {}, None
    for line in rc.read_text(encoding="utf-8").splitlines():
        head = re.match(r"\s*LANGUAGE\s+(.*?)\s*$", line)
        if head:
            language = head.group(1)
            found.setdefault(language, {})
            continue
        entry = re.match(r'\s*(IDS_\w+)\s*,?\s*"((?:[^"]|"")*)"\s*$', line)
        if entry and language:
            if entry.group(1) in found[language]:
                errors.append(f"{rc}: {entry.group(1)} twice in {language}")
            found[language][entry.group(1)] = entry.group(2)
    return found


def check_tables(root):
    numbers = {}
    for ids in sorted(root.glob("*/**/TextIds.h")) + sorted(root.glob("*/TextIds.h")):
        for name, number in re.findall(r"#define\s+(IDS_\w+)\s+(\d+)", ids.read_text()):
            if number in numbers and numbers[number][0] != name:
                errors.append(f"{ids}: {name} and {numbers[number][0]} share the id {number}")
            numbers[number] = (name, ids.parent)
        rc = ids.parent / "Texts.rc"
        if not rc.exists():
            errors.append(f"{ids}: no Texts.rc beside it")
            continue
        found = tables(rc)
        names = set(re.findall(r"#define\s+(IDS_\w+)", ids.read_text()))
        for language in LANGUAGES:
            texts = found.get(language, {})
            for name in sorted(names - texts.keys()):
                errors.append(f"{rc}: {name} has no text in {language}")
            for name in sorted(texts.keys() - names):
                errors.append(f"{rc}: {name} in {language} is not in {ids.name}")
            for name, text in texts.items():
                if not text.strip():
                    errors.append(f"{rc}: {name} is empty in {language}")
                english = found.get(LANGUAGES[0], {}).get(name)
                if english is not None and set(PLACEHOLDER.findall(text)) != set(PLACEHOLDER.findall(english)):
                    errors.append(f"{rc}: {name} in {language} has other placeholders than in English")


def literals(line):
    """The string literals of one line of C++, up to a comment."""
    code = LITERAL.sub(lambda m: "\0" * len(m.group(0)), line)
    end = code.find("//")
    return [m.group(1) for m in LITERAL.finditer(line) if end < 0 or m.start() < end]


def check_literals(root):
    for folder in CHECKED:
        for source in sorted((root / folder).glob("*.[ch]*")):
            for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                if "// untranslated" in line or line.lstrip().startswith("#"):
                    continue
                for literal in literals(line):
                    words = ESCAPED_BLANK.sub(" ", literal).strip()
                    capitals = folder in WINDOW and CAPITALS.search(words)
                    if (WORDS.search(words) or capitals) and "\\\\" not in literal:
                        errors.append(f"{source.relative_to(root)}:{number}: \"{literal}\" is a text outside the tables")


def main():
    root = pathlib.Path(sys.argv[1])
    check_tables(root)
    check_literals(root)
    for error in errors:
        print(error)
    print(f"{len(errors)} problem(s)" if errors else "the tables are complete; no text outside them")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
