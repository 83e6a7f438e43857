#!/usr/bin/env bash
# Builds the show for web browsers with emscripten and writes the page with its data.
#
#   scripts/build_web.sh [--libraries-only | --page-only]
#
# zlib, libpng and lib3ds are compiled once with emcc from Debian's orig tarballs into
# build-web/prefix and reused on later runs. Result: build-web/kelvo-remix-web/ with
# index.html, kelvo.js, kelvo.wasm and data/, ready for any static web server:
#   python3 -m http.server -d build-web/kelvo-remix-web
# --libraries-only stops after the libraries; --page-only leaves the data folder out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

stop_after=${1:-}
case "$stop_after" in
  ""|--libraries-only|--page-only) ;;
  *) echo "usage: scripts/build_web.sh [--libraries-only | --page-only]" >&2; exit 2 ;;
esac

out=$root/build-web
page=$out/kelvo-remix-web
source scripts/lib/source_builds.sh
source_build_folders "$out"
source scripts/lib/data_folder.sh

scripts/install_web_deps.sh
# emcc runs its JavaScript tools on node and needs Debian's acorn even under another node.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
mkdir -p "$prefix/include" "$prefix/lib"

# Compiles the listed C files of a library into prefix/lib/libNAME.a. The libraries' own
# configure scripts only find what the compiler already knows here, so their sources are
# compiled directly.
compile_archive() {
  local name=$1 src=$2
  shift 2
  local objects=() file
  mkdir -p "$src/web-objects"
  for file in "$@"; do
    logged "$name" low emcc -O2 ${WEB_LIBRARY_CFLAGS:-} -I"$src" -I"$prefix/include" -c "$src/$file" \
      -o "$src/web-objects/$(basename "$file" .c).o"
    objects+=("$src/web-objects/$(basename "$file" .c).o")
  done
  rm -f "$prefix/lib/lib$name.a"
  logged "$name" emar rcs "$prefix/lib/lib$name.a" "${objects[@]}"
}

build_zlib() {
  built zlib && return 0
  echo "== zlib (web)"
  local src
  src=$(unpack_source zlib zlib 'zlib_*.orig.tar.*')
  # What zlib's configure would find: unistd.h (lseek) and stdarg.h.
  WEB_LIBRARY_CFLAGS="-DHAVE_UNISTD_H -DHAVE_STDARG_H" compile_archive z "$src" adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c \
    gzwrite.c infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c
  cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
  mark_built zlib
}

build_libpng() {
  built libpng && return 0
  echo "== libpng (web)"
  local src
  src=$(unpack_source libpng libpng1.6 'libpng1.6_*.orig.tar.*')
  cp "$src/scripts/pnglibconf.h.prebuilt" "$src/pnglibconf.h"
  compile_archive png "$src" png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c \
    pngrtran.c pngrutil.c pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c
  cp "$src/png.h" "$src/pngconf.h" "$src/pnglibconf.h" "$prefix/include/"
  mark_built libpng
}

build_lib3ds() {
  built lib3ds && return 0
  echo "== lib3ds (web)"
  local src files=()
  src=$(unpack_source lib3ds lib3ds 'lib3ds_*.orig.tar.*')
  for file in "$src"/lib3ds/*.c; do files+=("lib3ds/$(basename "$file")"); done
  compile_archive 3ds "$src" "${files[@]}"
  mkdir -p "$prefix/include/lib3ds"
  cp "$src"/lib3ds/*.h "$prefix/include/lib3ds/"
  mark_built lib3ds
}

started=$(date +%s)
build_zlib
build_libpng
build_lib3ds
echo "== Libraries ready in $(( $(date +%s) - started )) s"
[ "$stop_after" = --libraries-only ] && exit 0

echo "== kelvo.wasm"
started=$(date +%s)
low emcmake cmake -S . -B "$out/kelvo" -DCMAKE_BUILD_TYPE=Release -DKELVO_TESTS=OFF \
  -DKELVO_WEB_PREFIX="$prefix" >/dev/null
low cmake --build "$out/kelvo" -j2
rm -rf "$page.new"
mkdir -p "$page.new"
cp "$out/kelvo/bin/kelvo.js" "$out/kelvo/bin/kelvo.wasm" platform/web/page/* "$page.new/"
# The page's title is the program's own, made safe for HTML.
source scripts/lib/show_title.sh
source scripts/lib/html_text.sh
page_with_title "$(<platform/web/page/index.html)" "$title" > "$page.new/index.html"
echo "== kelvo.wasm built in $(( $(date +%s) - started )) s:" \
  "$(stat -c %s "$page.new/kelvo.wasm") bytes"

if [ "$stop_after" != --page-only ]; then
  # The data folder comes from the asset generator, built for this machine.
  make_data_folder
  cp -r build/data "$page.new/data"
fi
rm -rf "$page"
mv "$page.new" "$page"
echo "== $page"
