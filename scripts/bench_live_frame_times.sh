#!/usr/bin/env bash
# Plays the whole show (3.5 minutes) full screen on a private Xvfb screen of the given size
# with vertical sync off, and prints the live program's frame times per second of the show
# (KELVO_FRAME_TIMES=1). Run after scripts/build.sh and scripts/make_data.sh:
#   scripts/bench_live_frame_times.sh [WIDTHxHEIGHTxDEPTH]   (default 1920x1080x24)
set -euo pipefail
cd "$(dirname "$0")/../build"
screen=${1:-1920x1080x24}
exec 3< <(Xvfb -displayfd 1 -screen 0 "$screen" -nolisten tcp 2>/dev/null & echo "pid $!"; wait)
read -r _ xvfb_pid <&3
read -r display_number <&3
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$display_number"
KELVO_FRAME_TIMES=1 vblank_mode=0 SDL_AUDIODRIVER=dummy bin/kelvo 2>&1 &
show=$!
# The settings dialog answers Enter with full screen.
for _ in $(seq 100); do
  dialog=$(xdotool search --name "Kelvo Remix" 2>/dev/null | head -n 1) && [ -n "$dialog" ] && break
  sleep 0.1
done
xdotool windowfocus --sync "$dialog" key Return
wait "$show"
