# Sourced by the window journeys: a throw-away prefix whose windows open in one Wine virtual desktop
# at the screen's origin (where scripted clicks land), the probe that watches them from inside it, and
# the steps. Needs $program, $probe and $journey (names the failure screenshot) set first.
. "$(dirname "${BASH_SOURCE[0]}")/../wine/prefix.sh"
shots=${KESTRUN_SHOTS:-$(dirname "$program")/screenshots}
mkdir -p "$shots"

kt_new_prefix
trap 'kill $(jobs -p) 2>/dev/null || true; kt_drop_prefix' EXIT
fail() { echo "FAIL: $*" >&2; import -window root "$shots/$journey-failure.png" 2>/dev/null || true; exit 1; }
steps=0
step() { echo "--- $*"; steps=$((steps + 1)); }
passed() { echo "$journey journey: $steps steps passed"; }
# soon CMD: CMD succeeds within 10 s. stays CMD: CMD holds for 3 s, long enough for a change to show.
soon() { for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done; return 1; }
stays() { for _ in $(seq 15); do "$@" || return 1; sleep 0.2; done; }

cur='HKCU\Software\Microsoft\Windows\CurrentVersion'
mac='HKLM\Software\Microsoft\Windows\CurrentVersion'
reg() { wine reg "$@" </dev/null >/dev/null 2>&1; }
has() { wine reg query "$1" /v "$2" </dev/null >/dev/null 2>&1; }
# A probe that hangs (Wine's cross-process COM, rarely, under load) fails its step, not the whole run.
probe() { timeout 120 wine "$probe" "$@" </dev/null | tr -d '\r'; }

click() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
marks() { probe rows | tr -d '\n'; }
# answer TITLE X: clicks the button at X inside our message box (its buttons lie at fixed points), waits
# for the box to go.
answer() {
  local x y
  read -r x y _ _ < <(probe window "$1") || fail "no '$1' box"
  click $((x + $2)) $((y + 120))
  probe gone "$1" || fail "'$1' box still open"
}
expect_marks() {
  for _ in $(seq 50); do [ "$(marks)" = "$1" ] && return 0; sleep 0.2; done
  fail "check marks $(marks), expected $1 ($2)"
}

reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d kestrun /f
reg add 'HKCU\Software\Wine\Explorer\Desktops' /v kestrun /d 1024x768 /f
