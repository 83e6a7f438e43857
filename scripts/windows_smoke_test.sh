#!/usr/bin/env bash
# Builds kelvo.exe and runs it under Wine on a private 640 x 480 x 16 Xvfb screen: the
# settings dialog appears, Enter starts the show, the show's window covers the screen, a
# frame shows a scene, and Escape ends the program with exit code 0. Exits 0 when all pass.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# The program's title, read from the header the program is built with.
title=$(sed -n 's/^#define KELVO_TITLE "\(.*\)"$/\1/p' app/resources/resource_ids.h)
: "${title:?no KELVO_TITLE in app/resources/resource_ids.h}"

began=$(date +%s)
scripts/build_windows.sh --exe-only
built=$(date +%s)
exe=$root/build-windows/kelvo/bin/kelvo.exe

# The program reads data\ under its working directory: the generated data folder.
echo "== Data folder ($(( built - began )) s so far)"
scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kelvo-assets kelvo-capture >/dev/null
scripts/make_data.sh build
smoke=$root/build-windows/smoke
rm -rf "$smoke"
mkdir -p "$smoke/run"
cp -r build/data "$smoke/run/data"

passed=0
failed=0
check() {  # check NAME COMMAND...: runs one check and counts it
  local name=$1
  shift
  if "$@"; then
    echo "ok - $name"
    passed=$((passed + 1))
  else
    echo "FAILED - $name"
    failed=$((failed + 1))
  fi
}
finish() {
  echo "smoke: $passed passed, $failed failed ($(( $(date +%s) - began )) s in all," \
    "$(( built - began )) s to build)"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
  exit
}

# A private X server; -displayfd picks a free display number.
exec 3>"$smoke/display"
Xvfb -displayfd 3 -screen 0 640x480x16 -nolisten tcp >"$smoke/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$smoke/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$smoke/display")"

export WINEPREFIX=$smoke/wineprefix WINEARCH=win64 WINEDEBUG=-all SDL_AUDIODRIVER=dummy
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# A fresh prefix; no Mono or Gecko installers: the program needs neither.
echo "== Wine prefix ($(( $(date +%s) - began )) s so far)"
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$smoke/wineboot.log" 2>&1
wineserver -w

# Waits up to $2 seconds for a visible window titled $title at least $1 pixels wide and
# prints its id.
wait_for_window() {
  local min_width=$1 seconds=$2 id width
  for _ in $(seq $((seconds * 5))); do
    for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
      width=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      if [ -n "$width" ] && [ "$width" -ge "$min_width" ]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.2
  done
  return 1
}
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
# A scene fills much of the screen with many colours; a cleared frame is one colour.
shows_scene() {
  local colours lit
  import -window root "$smoke/frame.png"
  colours=$(convert "$smoke/frame.png" -format '%k' info:)
  # The share of pixels brighter than about 4 % grey, so 16-bit rounding of dark colours
  # counts as black.
  lit=$(convert "$smoke/frame.png" -colorspace Gray -threshold 4% -format '%[fx:mean]' info:)
  echo "   frame: $colours colours, $lit of the screen lit"
  [ "$colours" -ge 16 ] && awk -v lit="$lit" 'BEGIN { exit !(lit >= 0.05) }'
}

# The same show on the Linux headless layer, a frame every 40 ms over its first 4 s, to
# compare the frame seen under Wine with.
echo "== Headless frames ($(( $(date +%s) - began )) s so far)"
build/bin/kelvo-capture --data build --at "$(seq -s, 0 40 4000)" --out "$smoke/headless" \
  >"$smoke/capture.log" 2>&1

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
    --at "$(seq -s, $((at > 40 ? at - 40 : 0)) 2 $((at + 40)))" >>"$smoke/capture.log" 2>&1
  fine=$(closest_headless_frame "$smoke/headless_fine")
  echo "   closest headless frame: ${fine##* } ms, RMS difference ${fine%% *}"
  awk -v best="${fine%% *}" 'BEGIN { exit !(best != "" && best <= 0.12) }'
}

echo "== kelvo.exe under Wine ($(( $(date +%s) - began )) s so far)"
(cd "$smoke/run" && exec wine "$exe" >"$smoke/program.log" 2>&1) &
program_pid=$!

dialog=$(wait_for_window 1 60) || dialog=
check "the settings dialog appears" test -n "$dialog"
[ -n "$dialog" ] || finish
import -window root "$smoke/dialog.png"
xdotool windowfocus --sync "$dialog" key Return

show=$(wait_for_window 400 60) || show=
check "Enter starts the show in a window titled \"$title\"" test -n "$show"
[ -n "$show" ] || finish
check "the show's window is 640 x 480" geometry_is "$show" 640x480
# Loading is done before the clock starts; give the first scene a moment on screen.
sleep 3
check "no message box came up while the show loaded" no_message_box || finish
check "a frame shows a scene" shows_scene
check "the frame is the headless layer's frame of the same moment" matches_headless_frame

xdotool key --window "$show" Escape
exit_code=
for _ in $(seq 150); do
  if ! kill -0 "$program_pid" 2>/dev/null; then
    wait "$program_pid" && exit_code=0 || exit_code=$?
    break
  fi
  sleep 0.1
done
program_pid=
check "Escape ends the program with exit code 0 (got ${exit_code:-no exit})" test "$exit_code" = 0
finish
