#!/usr/bin/env bash
# Builds the fuzz harnesses with clang (libFuzzer, ASan, UBSan) and runs each one for
# SECONDS (default 60) from the seeds in tests/data; fails when one finds a fault:
#   scripts/fuzz_test.sh [SECONDS] [HARNESS...]
# Inputs that crash, hang (over 1 s) or leak are kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVO_FUZZ=ON -DKELVO_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null

# The seeds of each harness: the test data of its kind.
seeds_of() {
  case "$1" in
    png_reader_fuzzer) echo tests/data/png ;;
    scene_fuzzer) echo tests/data/3ds ;;
    mp3_stream_fuzzer) echo tests/data/audio ;;
  esac
}

harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for binary in build-fuzz/bin/*_fuzzer; do harnesses+=("$(basename "$binary")"); done
fi

export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
mkdir -p build-fuzz/artifacts
status=0
for harness in "${harnesses[@]}"; do
  corpus=build-fuzz/corpus/$harness
  mkdir -p "$corpus"
  seeds=$(seeds_of "$harness")
  echo "== $harness for ${seconds} s"
  # The prefix is absolute because harnesses run each input from a scratch folder; the
  # libraries' own warnings on stderr are dropped (-close_fd_mask=2), libFuzzer's and the
  # sanitizers' reports are kept.
  if ! build-fuzz/bin/"$harness" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
      -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$PWD/build-fuzz/artifacts/$harness-" \
      "$corpus" ${seeds:+"$seeds"} 2> build-fuzz/"$harness".log; then
    status=1
    tail -40 build-fuzz/"$harness".log
  fi
  # (A harness that stopped at once has none of these lines; its status is already kept.)
  sed -n -E '/^stat::(number_of_executed_units|peak_rss_mb)|cov: /p' build-fuzz/"$harness".log | tail -3
done
exit $status
