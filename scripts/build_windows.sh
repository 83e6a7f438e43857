#!/usr/bin/env bash
# Cross-compiles kelvo.exe for 64-bit Windows and packs it with the data folder in a zip.
#
#   scripts/build_windows.sh [--libraries-only | --exe-only]
#
# The third-party libraries (libpng, lib3ds, SDL2, SDL2_mixer; zlib comes with mingw-w64)
# are built once from Debian's source packages into build-windows/prefix and reused on
# later runs. Results:
#   build-windows/kelvo/bin/kelvo.exe     needs only system DLLs
#   build-windows/kelvo-remix-VERSION-windows.zip
#                                         kelvo.exe and data/, ready to copy to a Windows PC;
#                                         VERSION is the project's version in CMakeLists.txt
# --libraries-only stops after the third-party libraries, --exe-only after kelvo.exe (the
# smoke test makes its own data).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

stop_after=${1:-}
case "$stop_after" in
  ""|--libraries-only|--exe-only) ;;
  *) echo "usage: scripts/build_windows.sh [--libraries-only | --exe-only]" >&2; exit 2 ;;
esac

out=$root/build-windows
toolchain=$root/cmake/mingw-w64-x86_64.cmake
host=x86_64-w64-mingw32
# Third-party builds run on at most two jobs: they share the machine.
jobs=${KELVO_WINDOWS_JOBS:-2}
source scripts/lib/source_builds.sh
source_build_folders "$out"
source scripts/lib/data_folder.sh

scripts/install_windows_deps.sh

build_libpng() {
  built libpng && return 0
  echo "== libpng (Windows)"
  local src
  src=$(unpack_source libpng libpng1.6 'libpng1.6_*.orig.tar.*')
  cd "$src"
  logged libpng low ./configure --host=$host --prefix="$prefix" --disable-shared \
    --enable-static --disable-dependency-tracking CC=$host-gcc-posix
  logged libpng low make -j"$jobs" libpng16.la
  logged libpng make install-libLTLIBRARIES install-pkgincludeHEADERS \
    install-nodist_pkgincludeHEADERS install-pkgconfigDATA install-header-links \
    install-library-links
  cd "$root"
  mark_built libpng
}

build_lib3ds() {
  built lib3ds && return 0
  echo "== lib3ds (Windows)"
  local src
  src=$(unpack_source lib3ds lib3ds 'lib3ds_*.orig.tar.*')
  cd "$src"
  logged lib3ds low ./configure --host=$host --prefix="$prefix" --disable-shared \
    --enable-static --disable-dependency-tracking CC=$host-gcc-posix
  logged lib3ds low make -C lib3ds -j"$jobs"
  logged lib3ds make -C lib3ds install
  cd "$root"
  mark_built lib3ds
}

cmake_third_party() {
  local name=$1 src=$2
  shift 2
  logged "$name" low cmake -S "$src" -B "$src/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DKELVO_WINDOWS_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "$@"
  logged "$name" low cmake --build "$src/build" -j"$jobs"
  logged "$name" cmake --install "$src/build"
}

# SDL2 carries only what the sound library needs: audio, threads and timers.
build_sdl2() {
  built sdl2 && return 0
  echo "== SDL2 (Windows)"
  local src
  src=$(unpack_source sdl2 libsdl2 'libsdl2_*.orig.tar.*')
  # A static library has no use for SDL's table of entry points for replacing the library
  # at run time, and with video left out the table would name functions not built.
  sed -i 's/^#define SDL_DYNAMIC_API 1$/#define SDL_DYNAMIC_API 0/' "$src/src/dynapi/SDL_dynapi.h"
  grep -q '^#define SDL_DYNAMIC_API 0$' "$src/src/dynapi/SDL_dynapi.h" || {
    echo "build_windows: could not turn SDL_DYNAMIC_API off in $src/src/dynapi/SDL_dynapi.h" >&2
    exit 1
  }
  cmake_third_party sdl2 "$src" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL2_DISABLE_SDL2MAIN=ON -DSDL2_DISABLE_UNINSTALL=ON \
    -DSDL_VIDEO=OFF -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
  mark_built sdl2
}

# SDL2_mixer with WAV and MP3 only; MP3 through its bundled dr_mp3 decoder, since
# libmpg123 is not available for the target.
build_sdl2_mixer() {
  built sdl2_mixer && return 0
  echo "== SDL2_mixer (Windows)"
  local src
  src=$(unpack_source sdl2_mixer libsdl2-mixer 'libsdl2-mixer_*.orig.tar.*')
  cmake_third_party sdl2_mixer "$src" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF \
    -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
    -DSDL2MIXER_VORBIS= \
    -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
    -DSDL2MIXER_WAVE=ON
  mark_built sdl2_mixer
}

started=$(date +%s)
build_libpng
build_lib3ds
build_sdl2
build_sdl2_mixer
echo "== Third-party libraries ready in $(( $(date +%s) - started )) s"
[ "$stop_after" = --libraries-only ] && exit 0

echo "== kelvo.exe"
started=$(date +%s)
cmake -S . -B "$out/kelvo" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DKELVO_WINDOWS_PREFIX="$prefix" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release -DKELVO_TESTS=OFF >/dev/null
cmake --build "$out/kelvo" -j"$jobs"
exe=$out/kelvo/bin/kelvo.exe
echo "== kelvo.exe built in $(( $(date +%s) - started )) s: $(stat -c %s "$exe") bytes"
[ "$stop_after" = --exe-only ] && exit 0

# The data folder comes from the asset generator, built for this machine.
echo "== Data folder and zip"
make_data_folder
staging=$out/dist/kelvo-remix
rm -rf "$out/dist"
mkdir -p "$staging"
cp -r build/data "$staging/data"
cp "$exe" "$staging/kelvo.exe"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
[ -n "$version" ] || { echo "build_windows: no project version in build/CMakeCache.txt" >&2; exit 1; }
zip=$out/kelvo-remix-$version-windows.zip
rm -f "$out"/kelvo-remix-*windows.zip
(cd "$out/dist" && zip -qr "$zip" kelvo-remix)
echo "== $zip ($(stat -c %s "$zip") bytes)"
