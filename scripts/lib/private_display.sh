# shellcheck shell=bash
# private_display.sh: a private Xvfb screen and the waits of the scripts that drive a
# program on it. Sourced.

source "$(dirname "${BASH_SOURCE[0]}")/wait_until.sh"

# start_private_xvfb SCREEN DIR: starts Xvfb with one screen of SCREEN (WxHxDEPTH) on a
# display number it picks itself (-displayfd, so parallel runs never clash), sets
# xvfb_pid and exports DISPLAY. The server's output goes to DIR/xvfb.log. When it does not
# come up within 20 s, says why (its exit status and its output) and fails.
start_private_xvfb() {
  local screen=$1 dir=$2 status
  : >"$dir/display"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  if wait_until 20 xvfb_answered "$dir/display" && grep -qx '[0-9][0-9]*' "$dir/display"; then
    DISPLAY=":$(cat "$dir/display")"
    export DISPLAY
    return 0
  fi
  if kill -0 "$xvfb_pid" 2>/dev/null; then
    kill "$xvfb_pid" 2>/dev/null
    echo "${0##*/}: Xvfb did not report a display number within 20 s" >&2
  else
    status=0
    wait "$xvfb_pid" || status=$?
    echo "${0##*/}: Xvfb could not start (exit status $status)" >&2
  fi
  sed 's/^/   Xvfb: /' "$dir/xvfb.log" >&2
  xvfb_pid=
  return 1
}
# The server writes its display number and a newline once it accepts connections; it ends
# the wait early when it has died.
xvfb_answered() {
  grep -qx '[0-9][0-9]*' "$1" || ! kill -0 "$xvfb_pid" 2>/dev/null
}

stop_private_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}

# window_at_least TITLE MIN_WIDTH: prints the id of a visible window titled exactly TITLE
# that is at least MIN_WIDTH pixels wide, or fails.
window_at_least() {
  local title=$1 min_width=$2 id width
  for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
    width=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    if [ -n "$width" ] && [ "$width" -ge "$min_width" ]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# wait_for_window TITLE MIN_WIDTH SECONDS: waits up to SECONDS for such a window and
# prints its id.
wait_for_window() {
  wait_until "$3" window_at_least "$1" "$2"
}

# screen_shows_scene PNG: takes a screenshot into PNG and tells whether it shows a scene:
# one fills much of the screen with many colours, where a cleared or loading frame is
# one colour. Prints what it saw.
screen_shows_scene() {
  local png=$1 colours lit
  import -window root "$png" 2>/dev/null || return 1
  colours=$(convert "$png" -format '%k' info:)
  # The share of pixels brighter than about 4 % grey, so 16-bit rounding of dark colours
  # counts as black.
  lit=$(convert "$png" -colorspace Gray -threshold 4% -format '%[fx:mean]' info:)
  echo "   frame: $colours colours, $lit of the screen lit"
  [ "$colours" -ge 16 ] && awk -v lit="$lit" 'BEGIN { exit !(lit >= 0.05) }'
}
