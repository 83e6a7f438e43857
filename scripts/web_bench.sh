#!/usr/bin/env bash
# Benchmarks the show's web page: the download size of the page without its data folder
# (gzip-compressed, as a web server would send it), then the whole show in headless
# Chromium with SwiftShader at 640 x 480 (tools/bench/web_show.js): frame costs and
# intervals per scene, and the time from opening the page to the dialog; then the
# intervals of an empty WebGL page (tools/bench/web_floor.js), the floor that the browser
# itself sets on this machine; then the time to the dialog over a throttled 10 Mbit/s
# network (tools/bench/web_dialog_throttled.js). Takes about five minutes, most of it the
# show itself.
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

log=$(mktemp)
source scripts/lib/web_server.sh
trap 'stop_web_server; rm -f "$log"' EXIT
start_web_server "$page" "$log"
echo "== The whole show in headless Chromium"
node tools/bench/web_show.js "http://127.0.0.1:$port/"
echo "== The browser's own floor: an empty WebGL page"
node tools/bench/web_floor.js 60
echo "== Time to the dialog over a 10 Mbit/s network"
node tools/bench/web_dialog_throttled.js "http://127.0.0.1:$port/"
