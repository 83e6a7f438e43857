#!/usr/bin/env bash
# The shared helpers of scripts/lib and scripts/run_with_display.sh, run for real: a
# private Xvfb that starts and one that cannot, checks that stop a run, waits with
# deadlines, a web server, downloads of Debian sources, HTML text and dpkg's package list.
# Prints one line per case; exits 1 when any fails.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

source tests/scripts/expect.sh
# contains TEXT PART
contains() { case "$1" in *"$2"*) return 0 ;; *) echo "   no \"$2\" in: $1"; return 1 ;; esac; }

# --- run_with_display.sh -----------------------------------------------------------------
output=$(env -u DISPLAY scripts/run_with_display.sh sh -c 'xdpyinfo | grep dimensions; exit 3' 2>&1)
status=$?
expect "run_with_display.sh gives the command a 640 x 480 display" contains "$output" "640x480 pixels"
expect "run_with_display.sh passes the command's exit status on" test "$status" -eq 3

# An Xvfb that cannot start: a screen it refuses. The script is run in a subshell that
# sources the helper, as the scripts do.
cannot_start=$(bash -c 'source scripts/lib/private_display.sh
  start_private_xvfb 8x8x3 "$1"; echo "status $?"' start_xvfb "$scratch" 2>&1)
expect "a refused Xvfb is reported with its exit status" \
  contains "$cannot_start" "start_xvfb: Xvfb could not start (exit status"
expect "a refused Xvfb shows its own words" contains "$cannot_start" "Xvfb: "
expect "a refused Xvfb fails the start" contains "$cannot_start" "status 1"

started=$(bash -c 'source scripts/lib/private_display.sh
  start_private_xvfb 320x200x24 "$1" || exit 1
  xdpyinfo | grep dimensions; pid=$xvfb_pid; stop_private_xvfb
  kill -0 "$pid" 2>/dev/null && echo "still running"; echo "display $DISPLAY"' start_xvfb "$scratch" 2>&1)
expect "a private Xvfb has the screen asked for" contains "$started" "320x200 pixels"
expect "stop_private_xvfb ends the server" bash -c '! grep -q "still running" <<<"$1"' _ "$started"

# --- checks.sh -----------------------------------------------------------------------------
run_checks() {
  bash -c 'set -euo pipefail
    source scripts/lib/checks.sh
    finish() { echo "report: $passed passed, $failed failed"; all_checks_passed; exit; }
    check "goes on" false
    check "passes" true
    check_or_finish "must pass" "$1"
    echo "after the stopping check"
    finish' run_checks "$1"
}
stopped=$(run_checks false)
status=$?
expect "a failed check_or_finish ends the run with the report" contains "$stopped" "report: 1 passed, 2 failed"
expect "nothing runs after a failed check_or_finish" bash -c '! grep -q "after the stopping" <<<"$1"' _ "$stopped"
expect "a run with a failed check exits 1" test "$status" -eq 1
went_on=$(run_checks true)
expect "a passed check_or_finish lets the run go on" contains "$went_on" "after the stopping check"
expect "a failed plain check is counted and the run goes on" contains "$went_on" "report: 2 passed, 1 failed"

# --- wait_until.sh -------------------------------------------------------------------------
source scripts/lib/wait_until.sh
began=$(date +%s)
expect "wait_until gives up after its deadline" bash -c 'source scripts/lib/wait_until.sh; ! wait_until 1 false'
expect "wait_until's deadline is near the one asked for" test $(( $(date +%s) - began )) -le 5
(sleep 0.5; touch "$scratch/event") &
expect "wait_until returns once the event happens" wait_until 10 test -e "$scratch/event"
wait

# --- web_server.sh ------------------------------------------------------------------------
mkdir -p "$scratch/site"
echo "served" >"$scratch/site/page.txt"
served=$(bash -c 'source scripts/lib/web_server.sh
  start_web_server "$1/site" "$1/server.log" || exit 1
  python3 -c "import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())" \
    "http://127.0.0.1:$port/page.txt"
  stop_web_server' web "$scratch" 2>&1)
expect "start_web_server serves the folder on the port it found" contains "$served" "served"

no_server=$(bash -c 'source scripts/lib/web_server.sh
  start_web_server "$1/site" "$1/no-such-folder/server.log"; echo "status $?"' web "$scratch" 2>&1)
expect "a server that cannot start is reported" contains "$no_server" "web: the web server did not start"
expect "a server that cannot start fails the start" contains "$no_server" "status 1"

# --- source_builds.sh ---------------------------------------------------------------------
mkdir -p "$scratch/sources"
not_fetched=$(bash -c 'source scripts/lib/source_builds.sh; sources=$1/sources
  fetch_orig kelvo-no-such-source "kelvo-no-such-source_*.orig.tar.*"; echo "status $?"' \
  build "$scratch" 2>&1)
expect "a source that cannot be downloaded is named" \
  contains "$not_fetched" "build: could not download the source of kelvo-no-such-source"
expect "a failed download shows apt's answer" contains "$not_fetched" "E: "
expect "a failed download fails" contains "$not_fetched" "status 1"

# --- html_text.sh ---------------------------------------------------------------------------
source scripts/lib/html_text.sh
expect "html_text escapes <, >, & and \" once each" \
  test "$(html_text 'Tom & "Jerry" <b>')" = 'Tom &amp; &quot;Jerry&quot; &lt;b&gt;'
expect "page_with_title puts the escaped title at every mark and leaves the rest" \
  test "$(page_with_title '<title>@KELVO_TITLE@</title><h1>@KELVO_TITLE@ &amp;</h1>' 'a<&>"b')" = \
  '<title>a&lt;&amp;&gt;&quot;b</title><h1>a&lt;&amp;&gt;&quot;b &amp;</h1>'

# --- installed_packages.sh ----------------------------------------------------------------
source scripts/lib/installed_packages.sh
installed_packages >"$scratch/packages.txt"
expect "installed_packages lists dpkg's installed packages as NAME:ARCH" \
  grep -qx "dpkg:$(dpkg --print-architecture)" "$scratch/packages.txt"
# apt and dpkg translate their messages; what the list is read from must not be.
german=$(LANG=de_DE.UTF-8 LANGUAGE=de LC_ALL= bash -c \
  'source scripts/lib/installed_packages.sh; installed_packages')
expect "installed_packages gives the same list in another language" \
  test "$german" = "$(cat "$scratch/packages.txt")"
expect "packages_added finds nothing new against the list just taken" \
  test -z "$(packages_added "$scratch/packages.txt")"
grep -vx "dpkg:$(dpkg --print-architecture)" "$scratch/packages.txt" >"$scratch/without_dpkg.txt"
expect "packages_added names a package the earlier list lacks" \
  test "$(packages_added "$scratch/without_dpkg.txt")" = "dpkg:$(dpkg --print-architecture)"

[ "$failures" -eq 0 ]
