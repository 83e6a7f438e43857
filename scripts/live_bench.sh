#!/usr/bin/env bash
# Plays the whole show (3.5 minutes) full screen on a private Xvfb screen of the given size
# with the live program's frame log on (KELVO_FRAME_TIMES_LOG, which turns vertical sync
# off), and prints its frame times per second of the show, then per scene
# (tools/bench/frame_times_by_scene.py). Run after scripts/build.sh and scripts/make_data.sh:
#   scripts/live_bench.sh [WIDTHxHEIGHTxDEPTH]   (default 1920x1080x24)
set -euo pipefail
cd "$(dirname "$0")/../build"
# shellcheck source=scripts/lib/private_display.sh
source ../scripts/lib/private_display.sh
# shellcheck source=scripts/lib/show_title.sh
source ../scripts/lib/show_title.sh
screen=${1:-1920x1080x24}
xvfb_dir=$(mktemp -d)
frame_log="$xvfb_dir/frames.log"
trap 'stop_private_xvfb; rm -rf "$xvfb_dir"' EXIT
start_private_xvfb "$screen" "$xvfb_dir"
KELVO_FRAME_TIMES_LOG="$frame_log" vblank_mode=0 SDL_AUDIODRIVER=dummy bin/kelvo 2>&1 &
show=$!
# The settings dialog answers Enter with full screen.
dialog=$(wait_for_window "$title" 1 30) || {
  echo "live_bench: the settings dialog did not appear within 30 s" >&2
  kill "$show" 2>/dev/null
  exit 1
}
xdotool windowfocus --sync "$dialog" key Return
wait "$show"
python3 ../tools/bench/frame_times_by_scene.py "$frame_log" ../demo/scene_table.h
