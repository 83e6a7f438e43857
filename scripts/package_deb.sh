#!/usr/bin/env bash
# Builds the Debian package build-deb/kelvo-remix_VERSION-1_amd64.deb from a Release build
# and the generated data folder: scripts/package_deb.sh
#
# CPack's DEB generator assembles it (cmake/packaging.cmake); dpkg-shlibdeps computes its
# Depends. The package's time stamps come from SOURCE_DATE_EPOCH, by default the date of
# the last commit (or of the packaging changelog outside git), so the same sources give
# the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install_deps.sh
scripts/install_package_deps.sh

out=$root/build-deb
build=$out/release
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null ||
    dpkg-parsechangelog -l packaging/changelog.Debian -S Timestamp)
fi
export SOURCE_DATE_EPOCH

# Debian's build flags (every hardening feature, and source paths mapped out of the
# binaries); CPack strips the programs.
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cflags=$(dpkg-buildflags --get CFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
# SDL loads libGL.so.1 at run time, where dpkg-shlibdeps cannot see it: linking the programs
# with libGL itself (rather than libOpenGL alone) puts libgl1, and through it Mesa's GLX
# driver, into Depends.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKELVO_TESTS=OFF -DOpenGL_GL_PREFERENCE=LEGACY \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_C_FLAGS="$cppflags $cflags" -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$(nproc)" --target kelvo kelvo-capture kelvo-assets
scripts/make_data.sh "$build"
cmake --build "$build" --target kelvo_package_files

rm -rf "$build/cpack"
rm -f "$out"/kelvo-remix_*.deb
(cd "$build" && cpack -G DEB -B "$build/cpack" >/dev/null)
mv "$build"/cpack/kelvo-remix_*.deb "$out/"
deb=$(ls "$out"/kelvo-remix_*.deb)
echo "== $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb --field "$deb" Version Installed-Size Depends
