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
prefix=$out/prefix
sources=$out/sources
work=$out/third_party
page=$out/kelvo-remix-web
low() { nice -n 15 "$@"; }

scripts/install_web_deps.sh
# emcc runs its JavaScript tools on node and needs Debian's acorn even under another node.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
mkdir -p "$prefix/stamps" "$prefix/include" "$prefix/lib" "$sources" "$work"

# Debian's orig tarball of a source package. The newest version's files are not always
# served (security updates), so each version apt knows is tried in turn.
fetch_orig() {
  local package=$1 pattern=$2 tarball version
  tarball=$(find "$sources" -maxdepth 1 -name "$pattern" | head -n 1)
  if [ -z "$tarball" ]; then
    for version in "" $(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p'); do
      (cd "$sources" && apt-get source --download-only "$package${version:+=$version}" \
        >/dev/null 2>&1) || true
      tarball=$(find "$sources" -maxdepth 1 -name "$pattern" | head -n 1)
      [ -n "$tarball" ] && break
    done
  fi
  if [ -z "$tarball" ]; then
    echo "build_web: could not download the source of $package ($pattern)" >&2
    exit 1
  fi
  echo "$tarball"
}

# Unpacks a tarball into a fresh folder under third_party/ and prints the source folder.
unpack() {
  local name=$1 tarball=$2
  rm -rf "${work:?}/$name" "$work/$name.log"
  mkdir -p "$work/$name"
  tar -xf "$tarball" -C "$work/$name"
  find "$work/$name" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# Runs a build step with its output in third_party/NAME.log, shown when the step fails.
logged() {
  local name=$1
  shift
  if ! "$@" >>"$work/$name.log" 2>&1; then
    tail -n 40 "$work/$name.log" >&2
    echo "build_web: building $name failed; the whole log is $work/$name.log" >&2
    exit 1
  fi
}

built() { [ -f "$prefix/stamps/$1" ]; }
mark_built() { touch "$prefix/stamps/$1"; }

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
  src=$(unpack zlib "$(fetch_orig zlib 'zlib_*.orig.tar.*')")
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
  src=$(unpack libpng "$(fetch_orig libpng1.6 'libpng1.6_*.orig.tar.*')")
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
  src=$(unpack lib3ds "$(fetch_orig lib3ds 'lib3ds_*.orig.tar.*')")
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
echo "== kelvo.wasm built in $(( $(date +%s) - started )) s:" \
  "$(stat -c %s "$page.new/kelvo.wasm") bytes"

if [ "$stop_after" != --page-only ]; then
  # The data folder comes from the asset generator, built for this machine.
  if [ ! -d build/data ]; then
    echo "== Data folder"
    scripts/install_deps.sh
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j2 --target kelvo-assets
  fi
  [ -x build/bin/kelvo-assets ] && scripts/make_data.sh build
  cp -r build/data "$page.new/data"
fi
rm -rf "$page"
mv "$page.new" "$page"
echo "== $page"
