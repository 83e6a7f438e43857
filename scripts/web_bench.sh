#!/usr/bin/env bash
# Benchmarks the show's web page: the download size of the page without its data folder
# (gzip-compressed, as a web server would send it), then in each browser engine the whole
# show in a 640 x 480 window (KELVO_BENCH_WINDOW picks another; tools/bench/web_show.js):
# frame costs and intervals per scene, and the time from opening the page to the dialog;
# then the intervals of an empty WebGL page (tools/bench/web_floor.js), the floor that the
# browser itself sets on this machine.
# The engines: headless Chromium with SwiftShader, and Firefox ESR and WebKitGTK headed on
# a private Xvfb screen with Mesa; KELVO_WEB_ENGINES=chromium,firefox,webkit (the default)
# picks them. Last, in Chromium, the time to the dialog over a throttled 10 Mbit/s network
# (tools/bench/web_dialog_throttled.js). Takes about five minutes per engine, most of it
# the show itself.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build_web.sh
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
page=build-web/kelvo-remix-web

echo "== Download size without data/"
total=0
for file in "$page"/*; do
  [ -f "$file" ] || continue
  size=$(gzip -9 -c "$file" | wc -c)
  total=$((total + size))
  printf '%-12s %9d bytes, %9d gzip-compressed\n' "$(basename "$file")" "$(stat -c %s "$file")" "$size"
done
echo "total: $total bytes compressed"

engines=${KELVO_WEB_ENGINES:-chromium,firefox,webkit}
work=$(mktemp -d)
source scripts/lib/web_server.sh
source scripts/lib/private_display.sh
trap 'stop_web_server; stop_private_xvfb; rm -rf "$work"' EXIT
start_web_server "$page" "$work/server.log"
# Firefox and WebKitGTK have WebGL only with a display.
if [ "$engines" != chromium ]; then
  start_private_xvfb 1000x600x24 "$work"
fi
for engine in ${engines//,/ }; do
  echo "== The whole show in $engine"
  node tools/bench/web_show.js "http://127.0.0.1:$port/" "$engine"
  echo "== $engine's own floor: an empty WebGL page"
  node tools/bench/web_floor.js 60 "$engine"
done
if [[ ",$engines," == *,chromium,* ]]; then
  echo "== Time to the dialog over a 10 Mbit/s network (chromium)"
  node tools/bench/web_dialog_throttled.js "http://127.0.0.1:$port/"
fi
