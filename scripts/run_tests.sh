#!/usr/bin/env bash
# Sets everything up and runs every test: the layout of the C++ files, the normal build's
# tests, the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer, the
# Debian package, the fuzz harnesses, the Windows build under Wine and the web page in
# three browser engines. Starts Xvfb when there is no display. CI runs it (.ci/run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh

echo "== Layout of the C++ sources"
scripts/format_test.sh

scripts/build.sh build
scripts/build.sh build-sanitize -DKELVO_SANITIZE=ON
# The live program's end-to-end tests play the show on the generated data folder; the
# sanitizer build shares the normal build's.
scripts/make_data.sh build
[ -e build-sanitize/data ] || ln -s ../build/data build-sanitize/data

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

jobs=$(nproc)
echo "== Tests"
scripts/run_with_display.sh ctest --test-dir build --output-on-failure -j"$jobs"
echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/run_with_display.sh ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
echo "== The Debian package: built, checked, installed, played and purged"
scripts/package_test.sh
echo "== Fuzzing: each harness for ${KELVO_FUZZ_SECONDS:-60} s"
scripts/fuzz_test.sh "${KELVO_FUZZ_SECONDS:-60}"
echo "== The Windows build under Wine"
scripts/windows_smoke_test.sh
echo "== The web build in Chromium, Firefox ESR and WebKitGTK"
scripts/web_test.sh
