#!/usr/bin/env bash
# Writes the show's data folder BUILD_DIR/data with BUILD_DIR/bin/kelvo-assets when it is
# missing or older than the generator: scripts/make_data.sh [BUILD_DIR]
# The data is written to a temporary folder first and moved into place whole, so an
# interrupted run never leaves a partial folder that looks complete.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
generator="$build_dir/bin/kelvo-assets"
data="$build_dir/data"

if [ ! -x "$generator" ]; then
  echo "$generator is missing: build first (scripts/build.sh $build_dir)" >&2
  exit 1
fi
if [ -d "$data" ] && [ ! "$generator" -nt "$data" ]; then
  exit 0
fi

work=$(mktemp -d "$build_dir/.data.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "Writing $data with $generator"
"$generator" "$work"
rm -rf "$data"
mv "$work/data" "$data"
