#!/usr/bin/env bash
# The frame-time analysis of the live program's frame log: its figures per second of the
# show and per scene, worked out here by hand for a small log, and its refusal of a log
# that is not one.
#   frame_times_by_scene_test.sh FRAME_TIMES_BY_SCENE_PY SCENE_TABLE_HEADER
set -uo pipefail
tool=$1
scene_table=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
source "$(dirname "$0")/expect.sh"

# Three frames in second 0, one in second 1 (1000 ms is second 1), one in second 7, which
# is the second scene's (the first lasts 6666 ms).
cat >"$scratch/frames.log" <<'LOG'
10.000 10.000 4.000
20.000 10.000 2.000
990.000 30.000 6.000
1000.000 10.000 8.000
7000.000 50.000 1.000
LOG
python3 "$tool" "$scratch/frames.log" "$scene_table" >"$scratch/out.txt" 2>&1
status=$?
# "  LABEL FRAMES MEDIAN P99 WORST CPU_MEDIAN CPU_P99 CPU_WORST", spaces squeezed.
row() { tr -s ' ' <"$scratch/out.txt" | grep -qx " $1"; }
expect "the analysis runs" test "$status" -eq 0
expect "second 0: three frames, median 10, p99 and worst 30, CPU 4, 6, 6" \
  row "0 3 10.00 30.00 30.00 4.00 6.00 6.00"
expect "second 1: the frame at 1000 ms" row "1 1 10.00 10.00 10.00 8.00 8.00 8.00"
expect "no row for the seconds without frames" \
  test "$(grep -cE '^  [2-6] ' "$scratch/out.txt")" -eq 0
expect "second 7" row "7 1 50.00 50.00 50.00 1.00 1.00 1.00"
expect "the whole show per second's table" row "whole show 5 10.00 50.00 50.00 4.00 8.00 8.00"
expect "the first scene: four frames" row "btitre 4 10.00 30.00 30.00 6.00 8.00 8.00"
expect "the second scene: the frame at 7000 ms" row "32 1 50.00 50.00 50.00 1.00 1.00 1.00"
expect "the scenes over a 60 Hz frame's budget at p99" \
  grep -q "scenes with p99 at or over 16.7 ms: btitre, 32" "$scratch/out.txt"

printf '10.000 10.000\n' >"$scratch/short.log"
python3 "$tool" "$scratch/short.log" "$scene_table" >"$scratch/short.txt" 2>&1
status=$?
expect "a line without three numbers is refused" test "$status" -ne 0
expect "with the line named" grep -q "short.log:1: not three numbers" "$scratch/short.txt"
: >"$scratch/empty.log"
python3 "$tool" "$scratch/empty.log" "$scene_table" >"$scratch/empty.txt" 2>&1
status=$?
expect "an empty log is refused" test "$status" -ne 0
expect "saying it holds no frames" grep -q "no frames in" "$scratch/empty.txt"
[ "$failures" -eq 0 ] || { cat "$scratch/out.txt" "$scratch/short.txt"; exit 1; }
