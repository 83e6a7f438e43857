#!/usr/bin/env bash
# scripts/fresh_machine_test.sh's mounts, lock and clean-up, run for real on a tiny stand-in
# instead of a Debian root: the script is copied into a scratch repository whose cached
# "Debian root" holds only bash and sleep, and whose /usr/bin/env (the first program the
# script runs in the chroot) records what it sees and then waits or exits.
#
# Everything runs in a private mount namespace of its own where /dev is a tmpfs stand-in
# with a few device nodes and marker files: the script under test binds that stand-in as
# the root's /dev, so even a script that deletes through its binds reaches only the
# stand-in, never the host's /dev. Needs root and mount namespaces; skips (77) without.
# Prints one line per case; exits 1 when any fails.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1

if [ "${1:-}" != --in-private-namespace ]; then
  [ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root (mount, chroot)"; exit 77; }
  unshare --mount --propagation private true 2>/dev/null ||
    { echo "SKIP: cannot make a mount namespace here"; exit 77; }
  exec unshare --mount --propagation private -- bash "$0" --in-private-namespace
fi

source scripts/lib/wait_until.sh
scratch=$(mktemp -d)
repo=$scratch/repo
cache=$repo/build-fresh
root=$cache/root
runs=()
failures=0

# The mounts still under the scratch folder go first, so the deletion cannot reach through.
clean_up() {
  local run
  for run in "${runs[@]}"; do kill -KILL -- "-$run" 2>/dev/null; done
  mounts_here "$scratch" | sort -r | xargs -r umount --lazy
  rm -rf --one-file-system "$scratch"
}
trap clean_up EXIT

# mounts_here DIR: the mount points below DIR in this namespace (DIR has no blanks).
mounts_here() { awk -v dir="$1/" 'index($5, dir) == 1 { print $5 }' /proc/self/mountinfo; }
nothing_mounted_under() {
  local mounted
  mounted=$(mounts_here "$1")
  [ -z "$mounted" ] || { echo "   still mounted:" "$mounted"; return 1; }
}

source tests/scripts/expect.sh
contains() { grep -qF -- "$2" "$1" || { echo "   no \"$2\" in:"; sed 's/^/   | /' "$1"; return 1; }; }

# A /dev of device nodes and marker files on a tmpfs, over this namespace's /dev (over the
# previous stand-in, so that each group of cases starts with an intact one).
mount_standin_dev() {
  mount -t tmpfs -o mode=755 kelvo-standin-dev /dev
  mknod -m 666 /dev/null c 1 3
  mknod -m 666 /dev/zero c 1 5
  mknod -m 666 /dev/urandom c 1 9
  mknod -m 666 /dev/tty c 5 0
  ln -s /proc/self/fd /dev/fd
  mkdir /dev/pts /dev/shm
  mount -t tmpfs kelvo-standin-pts /dev/pts
  echo "keep me" >/dev/kelvo-standin
  echo "keep me" >/dev/pts/kelvo-standin
}
standin_dev_intact() {
  if [ ! -f /dev/kelvo-standin ] || [ ! -f /dev/pts/kelvo-standin ] || [ ! -c /dev/null ]; then
    echo "   the stand-in /dev lost files:" /dev/* /dev/pts/*
    return 1
  fi
}

# A scratch repository holding the script under test, so that its build-fresh/ is ours.
make_repo() {
  mkdir -p "$repo/scripts/lib" "$scratch/bin"
  cp scripts/fresh_machine_test.sh "$repo/scripts/"
  cp scripts/lib/*.sh "$repo/scripts/lib/"
  git -C "$repo" init -q
  git -C "$repo" add .
  git -C "$repo" -c user.name=test -c user.email=test@localhost commit -qm "Stand-in"
  # Making a real Debian root is never this test's business.
  printf '#!/bin/sh\necho "debootstrap: not in this test" >&2\nexit 1\n' >"$scratch/bin/debootstrap"
  chmod +x "$scratch/bin/debootstrap"
}

# make_base COMMANDS: the cached root, whose /usr/bin/env lists the /dev it sees into
# /seen-dev, marks /inside and then runs COMMANDS.
make_base() {
  local tree=$scratch/base program library
  rm -rf "$tree"
  mkdir -p "$tree"/{usr/bin,usr/lib,usr/lib64,etc/apt/sources.list.d,proc,dev,work,tmp} "$cache"
  ln -s usr/bin "$tree/bin"
  ln -s usr/lib "$tree/lib"
  ln -s usr/lib64 "$tree/lib64"
  for program in bash sleep; do
    cp "$(command -v "$program")" "$tree/usr/bin/"
    for library in $(ldd "$(command -v "$program")" | grep -o '/[^ ]*'); do
      cp --parents -L "$library" "$tree"
    done
  done
  printf '#!/bin/bash\nprintf "%%s\\n" /dev/* /dev/pts/* >/seen-dev\n: >/inside\n%s\n' "$1" \
    >"$tree/usr/bin/env"
  chmod +x "$tree/usr/bin/env"
  tar -C "$tree" -cf "$cache/bookworm-minbase.tar" .
}

# start_run LOG: starts the script in the background, in a process group of its own whose
# id it leaves in $run.
start_run() {
  PATH=$scratch/bin:$PATH setsid bash "$repo/scripts/fresh_machine_test.sh" >"$1" 2>&1 &
  run=$!
  runs+=("$run")
}
# kill_run ID: SIGKILL to the whole group, as a runner's hard cancel does; waits it out.
kill_run() {
  kill -KILL -- "-$1" 2>/dev/null
  { wait "$1"; } 2>/dev/null
  # shellcheck disable=SC2016 # expanded by the inner shell
  wait_until 10 bash -c '! kill -0 -- "-$1" 2>/dev/null' _ "$1"
}
# finish_run SECONDS LOG: runs the script to its end, or SIGKILLs its group after SECONDS
# (status 137); leaves the exit status in $status.
finish_run() {
  { PATH=$scratch/bin:$PATH timeout --signal=KILL "$1" bash "$repo/scripts/fresh_machine_test.sh" \
    >"$2" 2>&1; } 2>/dev/null
  status=$?
}

mount_standin_dev
make_repo

# --- a run killed inside its chroot, and a second run meanwhile ---------------------------
make_base 'exec sleep 300'
start_run "$scratch/first.log"
first=$run
if ! wait_until 30 test -e "$root/inside"; then
  echo "FAILED - the first run reaches its chroot"
  sed 's/^/   | /' "$scratch/first.log"
  exit 1
fi
touch "$root/first-run"
expect "the chroot sees the /dev the script binds" contains "$root/seen-dev" /dev/kelvo-standin
expect "the chroot sees the /dev/pts the script binds" contains "$root/seen-dev" /dev/pts/kelvo-standin
expect "while a run is in its chroot, nothing is mounted under build-fresh/ outside it" \
  nothing_mounted_under "$cache"

finish_run 20 "$scratch/second.log"
expect "a second run started during the first one stops" test "$status" = 1
expect "the second run says the cache is in use" contains "$scratch/second.log" "in use by another run"
expect "the second run leaves the first run's root alone" test -e "$root/first-run"

kill_run "$first"
expect "after kill -9 inside the chroot, nothing is mounted under build-fresh/" \
  nothing_mounted_under "$cache"
rm -rf "$cache" 2>/dev/null # what a user's clean-up (or git clean -xdf) does
expect "deleting build-fresh/ after kill -9 leaves the bound /dev intact" standin_dev_intact

# --- a run that ends ----------------------------------------------------------------------
mount_standin_dev
make_base 'exit 3'
finish_run 30 "$scratch/ended.log"
expect "a run passes its steps' exit status on" test "$status" = 3
expect "a run that ended has its root's /dev bound while it ran" contains "$root/seen-dev" /dev/kelvo-standin
expect "a run that ended leaves nothing mounted under build-fresh/" nothing_mounted_under "$cache"
expect "a run that ended leaves the bound /dev intact" standin_dev_intact

# --- a root with something still mounted under it -----------------------------------------
mount_standin_dev
mkdir -p "$root/work/left-over"
mount --bind /dev "$root/work/left-over"
finish_run 20 "$scratch/refused.log"
expect "a root with a mount under it is not deleted: the run stops" test "$status" = 1
expect "the refusal names the mount" contains "$scratch/refused.log" "$root/work/left-over"
expect "the refused root's mount and the /dev behind it are intact" standin_dev_intact
umount "$root/work/left-over"

# A mount made between the check and the deletion is skipped rather than emptied.
mount_standin_dev
mkdir -p "$scratch/late/mounted"
echo "delete me" >"$scratch/late/file"
mount --bind /dev "$scratch/late/mounted"
# shellcheck disable=SC2016 # expanded by the inner shell
bash -c 'source scripts/lib/private_chroot.sh
  mounts_under() { :; } # the mount comes after the check
  remove_tree "$1"' remove_tree "$scratch/late" 2>/dev/null
expect "remove_tree deletes what is on the tree's own file system" test ! -e "$scratch/late/file"
expect "remove_tree does not cross into another file system" standin_dev_intact
umount "$scratch/late/mounted"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
