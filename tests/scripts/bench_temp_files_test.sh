#!/usr/bin/env bash
# The audio start-latency benchmark keeps its probe file in a folder of its own under
# $TMPDIR and removes it: it never writes a fixed name in /tmp, where another user's file
# (or a link planted there) could be.
#   bench_temp_files_test.sh BENCH_AUDIO_LATENCY
set -uo pipefail
bench=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
source "$(dirname "$0")/expect.sh"

ls -A /tmp >"$scratch/tmp_before.txt"
mkdir "$scratch/tmpdir"
SDL_AUDIODRIVER=dummy TMPDIR=$scratch/tmpdir "$bench" >"$scratch/bench.log" 2>&1
status=$?
expect "the benchmark runs" test "$status" -eq 0
expect "it leaves nothing in its temporary folder" test -z "$(ls -A "$scratch/tmpdir")"
ls -A /tmp >"$scratch/tmp_after.txt"
# Only the benchmark's own names count: tests running beside this one make files of theirs.
added=$(comm -13 <(sort "$scratch/tmp_before.txt") <(sort "$scratch/tmp_after.txt") | grep -i kelvo_latency)
expect "it writes no file of its own in /tmp" test -z "$added"
[ "$failures" -eq 0 ] || { cat "$scratch/bench.log"; exit 1; }
