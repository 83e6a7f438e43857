#!/usr/bin/env bash
# Benchmarks the show's web page: the download size of the page without its data folder
# (gzip-compressed, as a web server would send it), then the whole show in headless
# Chromium with SwiftShader at 640 x 480 (tools/bench/web_show.js): frame costs and
# intervals per scene, and the time from opening the page to the dialog. Takes about
# four minutes, most of it the show itself.
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
python3 -u -m http.server --bind 127.0.0.1 --directory "$page" 0 >"$log" 2>&1 &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null || true; rm -f "$log"' EXIT
port=
for _ in $(seq 50); do
  port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$log" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "web_bench: the web server did not start" >&2; exit 1; }
echo "== The whole show in headless Chromium"
node tools/bench/web_show.js "http://127.0.0.1:$port/"
