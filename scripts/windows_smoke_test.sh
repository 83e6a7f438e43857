#!/usr/bin/env bash
# Builds kelvo.exe and runs it under Wine on a private 640 x 480 x 16 Xvfb screen: the
# settings dialog appears, Enter starts the show, the show's window covers the screen, a
# frame shows a scene, and Escape ends the program with exit code 0. Exits 0 when all pass.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib/show_title.sh

began=$(date +%s)
scripts/build_windows.sh --exe-only
built=$(date +%s)
exe=$root/build-windows/kelvo/bin/kelvo.exe

# The program reads data\ under its working directory: the generated data folder.
echo "== Data folder ($(( built - began )) s so far)"
source scripts/lib/data_folder.sh
make_data_folder kelvo-capture
smoke=$root/build-windows/smoke
rm -rf "$smoke"
mkdir -p "$smoke/run"
cp -r build/data "$smoke/run/data"

source scripts/lib/checks.sh
finish() {
  echo "smoke: $passed passed, $failed failed ($(( $(date +%s) - began )) s in all," \
    "$(( built - began )) s to build)"
  if all_checks_passed; then exit 0; fi
  exit 1
}

source scripts/lib/private_display.sh
export WINEPREFIX=$smoke/wineprefix WINEARCH=win64 WINEDEBUG=-all SDL_AUDIODRIVER=dummy
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  stop_private_xvfb
}
trap cleanup EXIT
start_private_xvfb 640x480x16 "$smoke"

# A fresh prefix; no Mono or Gecko installers: the program needs neither.
echo "== Wine prefix ($(( $(date +%s) - began )) s so far)"
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$smoke/wineboot.log" 2>&1 || {
  tail -n 20 "$smoke/wineboot.log" >&2
  echo "windows_smoke_test: wineboot could not make the Wine prefix" >&2
  exit 1
}
wineserver -w

# The program's message boxes ("Error !", "ERROR!", "SHUTDOWN ERROR") wait for a click, and
# one in front of the show would pass for a frame; none may be up.
no_message_box() {
  local id
  for id in $(xdotool search --onlyvisible --name '^(Error !|ERROR!|SHUTDOWN ERROR)$' 2>/dev/null); do
    import -window root "$smoke/message_box.png"
    echo "   a message box \"$(xdotool getwindowname "$id")\" is up (screenshot: $smoke/message_box.png)"
    return 1
  done
  return 0
}
geometry_is() {  # geometry_is ID WxH
  xdotool getwindowgeometry "$1" | grep -q "Geometry: $2\$"
}
# The same show on the Linux headless layer, a frame every 40 ms over its first 4 s, to
# compare the frame seen under Wine with.
echo "== Headless frames ($(( $(date +%s) - began )) s so far)"
build/bin/kelvo-capture --data build --at "$(seq -s, 0 40 4000)" --out "$smoke/headless" \
  >"$smoke/capture.log" 2>&1 || {
  tail -n 20 "$smoke/capture.log" >&2
  echo "windows_smoke_test: kelvo-capture could not write the headless frames" >&2
  exit 1
}

# The closest of the headless frames in folder $1 to the frame seen under Wine: prints
# "RMS-DIFFERENCE MS" (normalised RMS difference of the colours; elapsed show time).
closest_headless_frame() {
  local frame difference at
  for frame in "$1"/frame_*.png; do
    difference=$(compare -metric RMSE "$smoke/frame.png" "$frame" null: 2>&1 |
      sed -n 's/.*(\(.*\))/\1/p')
    at=$(basename "$frame" .png | sed 's/^frame_0*\([0-9]\)/\1/')
    echo "$difference $at"
  done | sort -g | head -n 1
}
# The Windows build draws what the Linux build draws: the frame on screen matches the
# headless frame of the same moment up to 16-bit colour rounding. The moment is found in
# two steps: the closest of the frames 40 ms apart, then of frames 2 ms apart around it.
# Frames of the same moment differ by up to about 0.075 (rounding over large blended
# areas), frames 20 ms apart by 0.08 or more, unrelated frames by 0.2 and more; the bound
# sits between the last two so that rounding never fails the check.
matches_headless_frame() {
  local coarse fine at
  coarse=$(closest_headless_frame "$smoke/headless")
  at=${coarse##* }
  [ -n "$at" ] || return 1
  build/bin/kelvo-capture --data build --out "$smoke/headless_fine" \
    --at "$(seq -s, $((at > 40 ? at - 40 : 0)) 2 $((at + 40)))" >>"$smoke/capture.log" 2>&1 || {
    echo "   kelvo-capture could not write the frames around $at ms (see $smoke/capture.log)"
    return 1
  }
  fine=$(closest_headless_frame "$smoke/headless_fine")
  echo "   closest headless frame: ${fine##* } ms, RMS difference ${fine%% *}"
  awk -v best="${fine%% *}" 'BEGIN { exit !(best != "" && best <= 0.12) }'
}

echo "== kelvo.exe under Wine ($(( $(date +%s) - began )) s so far)"
(cd "$smoke/run" && exec wine "$exe" >"$smoke/program.log" 2>&1) &
program_pid=$!

# Waits up to 60 s for a window titled $title at least MIN_WIDTH wide, or for a message
# box in its place, and prints the window's id: await_window MIN_WIDTH
await_window() {
  wait_until 60 window_or_box "$1" >/dev/null
  window_at_least "$title" "$1"
}
window_or_box() { window_at_least "$title" "$1" >/dev/null || ! no_message_box; }
# A window that did not come: a message box in its place is named in the report.
window_came() { [ -n "$1" ] || { no_message_box; return 1; }; }

dialog=$(await_window 1) || dialog=
check_or_finish "the settings dialog appears" window_came "$dialog"
import -window root "$smoke/dialog.png"
xdotool windowfocus --sync "$dialog" key Return

show=$(await_window 400) || show=
check_or_finish "Enter starts the show in a window titled \"$title\"" window_came "$show"
check "the show's window is 640 x 480" geometry_is "$show" 640x480
# Loading is done before the clock starts: the show plays once a scene is on screen. A
# message box in front of the show, or the program's end, stops the wait early.
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
scene_or_stop() {
  screen_shows_scene "$smoke/frame.png" || ! no_message_box || program_ended
}
wait_until 60 scene_or_stop >/dev/null ||
  echo "   no scene on screen within 60 s of the show's window opening"
check_or_finish "no message box came up while the show loaded" no_message_box
check "a frame shows a scene" screen_shows_scene "$smoke/frame.png"
check "the frame is the headless layer's frame of the same moment" matches_headless_frame

xdotool key --window "$show" Escape
exit_code=
if wait_until 15 program_ended; then
  wait "$program_pid" && exit_code=0 || exit_code=$?
fi
program_pid=
check "Escape ends the program with exit code 0 (got ${exit_code:-no exit})" test "$exit_code" = 0
finish
