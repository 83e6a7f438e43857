#!/usr/bin/env bash
# Tests the show's web page in three browser engines: headless Chromium, and Firefox ESR
# and WebKitGTK headed on a private Xvfb screen. Builds the page (scripts/build_web.sh),
# serves it on 127.0.0.1 with variants whose data is broken, writes the headless layer's
# frames of the moments compared, and runs tests/web/web_test.js, the same checks in each
# engine, then the phone checks (tests/web/phone_test.js, Chromium's device emulation).
# KELVO_WEB_ENGINES=chromium,firefox,webkit (the default) picks the engines of the first.
# Exits 0 when all pass.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
began=$(date +%s)

scripts/build_web.sh
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
built=$(date +%s)

# Scene edges (first and last frame of a scene), a flash window and a plain moment.
at_times=${KELVO_WEB_AT:-0,6665,6667,40000,60450,100001,166700}
work=$root/build-web/web-test
rm -rf "$work"
mkdir -p "$work/site" "$work/headless"

echo "== Headless frames"
cmake --build build -j2 --target kelvo-capture >/dev/null
for at in ${at_times//,/ }; do
  build/bin/kelvo-capture --data build --at "$at" --out "$work/headless" >>"$work/capture.log" 2>&1 || {
    tail -n 20 "$work/capture.log" >&2
    echo "web_test: kelvo-capture could not write the headless frame at $at ms" >&2
    exit 1
  }
done

# page/ is the show; no-music/ lacks the MP3; damaged/ has a scene file cut short.
page=$root/build-web/kelvo-remix-web
ln -s "$page" "$work/site/page"
variant() {
  local name=$1 file
  mkdir -p "$work/site/$name/data"
  for file in "$page"/*; do [ "$(basename "$file")" = data ] || ln -s "$file" "$work/site/$name/"; done
  for file in "$page"/data/*; do ln -s "$file" "$work/site/$name/data/"; done
}
variant no-music
rm "$work/site/no-music/data/kelvo32.mp3"
variant damaged
rm "$work/site/damaged/data/roulet3.3ds"
head -c 100 "$page/data/roulet3.3ds" >"$work/site/damaged/data/roulet3.3ds"

engines=${KELVO_WEB_ENGINES:-chromium,firefox,webkit}
source scripts/lib/web_server.sh
source scripts/lib/private_display.sh
trap 'stop_web_server; stop_private_xvfb' EXIT
start_web_server "$work/site" "$work/server.log"
# Firefox and WebKitGTK have WebGL only with a display; the screen is as large as
# Chromium's headless one.
if [ "$engines" != chromium ]; then
  start_private_xvfb 1000x600x24 "$work"
fi

echo "== Browser tests ($engines)"
status=0
node tests/web/web_test.js "http://127.0.0.1:$port" "$work" "$at_times" "$engines" || status=$?
echo "== Phones and small windows"
node tests/web/phone_test.js "http://127.0.0.1:$port/page/" || status=$?
echo "web test: $(( $(date +%s) - began )) s in all, $(( built - began )) s to build"
exit "$status"
