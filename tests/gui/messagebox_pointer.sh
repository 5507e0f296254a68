#!/usr/bin/env bash
# The message box under a real pointer and keyboard (xdotool), inside Wine's virtual desktop, where
# scripted input lands reliably. Usage: messagebox_pointer.sh DEMO_EXE
set -u
demo=$1
[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
. "$(dirname "$0")/../wine/prefix.sh"
kt_new_prefix
trap kt_drop_prefix EXIT
failures=0
shot=$(mktemp --suffix=.png)

# Starts the demo with a button set; the box closes itself after 8 s if input is lost, and then says
# "timed out" instead of its result.
start() {
  result=$(mktemp)
  wine explorer /desktop=kt,1024x768 "$demo" "$1" 8000 >"$result" 2>/dev/null </dev/null &
  pid=$!
  for _ in $(seq 100); do
    xdotool search --name "$2" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.7
}
finish() {  # expected result, description
  wait "$pid"
  got=$(tr -d '\r\n' <"$result")
  if [ "$got" = "$1" ]; then echo "ok: $2"; else echo "FAIL: $2: got '$got', want '$1'"; failures=$((failures + 1)); fi
}
red_pixels() {  # x y w h
  import -window root "$shot"
  convert "$shot" -crop "$3x$4+$1+$2" +repage txt:- | grep -ci "#FF0000"
}

# The box (310 x 153) is centred on the 1024 x 768 desktop at (357, 307).
start 4 Confirm
xdotool mousemove 577 427
sleep 0.5
n=$(red_pixels 532 407 90 40)
if [ "$n" -gt 5 ]; then echo "ok: hover turns No red"; else echo "FAIL: hover: $n red pixels"; failures=$((failures + 1)); fi
xdotool mousemove 445 428
sleep 0.5
n=$(red_pixels 532 407 90 40)
if [ "$n" -eq 0 ]; then echo "ok: leaving No turns it white"; else echo "FAIL: leave: $n red pixels"; failures=$((failures + 1)); fi
xdotool click 1
finish 6 "click on Yes returns 6"

start 3 "Save Settings"
xdotool mousemove 605 427 click 1
finish 2 "click on Cancel in set 3 returns 2"

start 4 Confirm
xdotool key Escape
finish 7 "Escape in set 4 returns 7"

# Dragging the text moves the box by the pointer's movement; Yes is then found at its new place.
start 4 Confirm
xdotool mousemove 420 330 mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((420 + step * 10)) $((330 + step * 8)); sleep 0.1; done
xdotool mouseup 1
sleep 0.5
xdotool mousemove 495 468 click 1
finish 6 "the box follows a drag on its text"

exit $((failures > 0))
