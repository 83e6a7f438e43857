#!/usr/bin/env bash
# Proves that the install script brings everything the build and the tests need: makes a
# minimal Debian 12 root once (debootstrap --variant=minbase, cached in build-fresh/), copies
# a clean clone of this repository's HEAD into a fresh copy of it, and there runs the install
# script, a full build, the normal tests and a short fuzz run.
#
#   scripts/fresh_machine_test.sh          install, build, data folder, normal tests, and
#                                          each fuzz harness for 5 s
#   scripts/fresh_machine_test.sh --all    the whole README test command instead
#
# Needs root (debootstrap and chroot) and the package mirror the machine's apt uses. Slow
# (several minutes): run it whenever the package list changes, not in CI.
#
# The root's /proc, /dev and /dev/pts are mounted only inside a private mount namespace
# (scripts/lib/private_chroot.sh), so a killed run leaves nothing mounted under
# build-fresh/ and deleting it never reaches the host's /dev. One run at a time holds
# build-fresh/; a second one stops at once.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
mode=${1:-}
source scripts/lib/private_chroot.sh

[ "$(id -u)" -eq 0 ] || { echo "fresh_machine_test.sh: needs root (debootstrap, chroot)" >&2; exit 2; }

cache=$top/build-fresh
base=$cache/bookworm-minbase.tar
root=$cache/root

# The mirror the machine's own apt configuration names, so the root sees the same packages.
mirror() {
  local uri
  uri=$(grep -hE '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}' |
        grep -v security | head -n1)
  [ -n "$uri" ] || uri=$(grep -hE '^deb ' /etc/apt/sources.list 2>/dev/null | awk '{print $2}' | head -n1)
  echo "${uri:-http://deb.debian.org/debian}"
}

mkdir -p "$cache"
lock_folder "$cache" || exit 1
if [ ! -f "$base" ]; then
  echo "== Making a minimal Debian 12 root (once; cached in $base)"
  command -v debootstrap >/dev/null || {
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
  }
  remove_tree "$cache/bootstrap"
  # debootstrap mounts file systems (/proc, /sys, sometimes a bind of /dev) into its target
  # itself: keep those out of the host's view too.
  in_private_mounts debootstrap --variant=minbase bookworm "$cache/bootstrap" "$(mirror)" \
    >"$cache/debootstrap.log" 2>&1 || { tail -n 20 "$cache/debootstrap.log" >&2; exit 1; }
  tar -C "$cache/bootstrap" -cf "$base.partial" . && mv "$base.partial" "$base"
  remove_tree "$cache/bootstrap"
fi

echo "== A fresh copy of the root, with the machine's package sources"
remove_tree "$root"
mkdir -p "$root"
tar -C "$root" -xf "$base"
rm -f "$root/etc/apt/sources.list"
cp /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/" 2>/dev/null ||
  cp /etc/apt/sources.list "$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"

echo "== A clean clone of HEAD ($(git rev-parse --short HEAD))"
git clone -q --no-hardlinks "$top" "$root/work/kelvo"

if [ "$mode" = "--all" ]; then
  steps='scripts/run_tests.sh'
else
  steps='scripts/install_deps.sh && scripts/format_test.sh && scripts/build.sh build && scripts/make_data.sh build &&
         SDL_AUDIODRIVER=dummy scripts/run_with_display.sh ctest --test-dir build --output-on-failure -j"$(nproc)" &&
         scripts/fuzz_test.sh 5'
fi
start=$(date +%s)
status=0
chroot_privately "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  TERM=dumb LANG=C.UTF-8 bash -c "cd /work/kelvo && $steps" || status=$?
echo "== Fresh machine: exit $status after $(( $(date +%s) - start )) s"
exit "$status"
