# Sourced by the scripts that need the window's texts (ui/Texts.rc): the screenshots.
#   ui_text LANGUAGE ID   the text of ID in LANGUAGE's table (LANG_ENGLISH, LANG_GERMAN), "\n" left as written;
#                         fails when there is none
#   spoken TEXT           as a screen reader names a control with that text: a word broken with "-" at a line
#                         end joined, the other line breaks blanks, no blank at either end
kt_texts_rc=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/ui/Texts.rc

ui_text() {
  local text
  text=$(awk -v block="LANGUAGE $1," -v id="$2" '
    /^LANGUAGE / { inside = index($0, block) == 1 }
    inside && $1 == id { sub(/^[^"]*"/, ""); sub(/"[ \t]*$/, ""); gsub(/""/, "\""); print; exit }' "$kt_texts_rc")
  [ -n "$text" ] || { echo "no text $2 in $1 of $kt_texts_rc" >&2; return 1; }
  printf '%s' "$text"
}

spoken() {
  local text=${1//-\\n/}
  text=${text//\\n/ }
  text=${text## }
  printf '%s' "${text%% }"
}
