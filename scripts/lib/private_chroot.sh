# shellcheck shell=bash
# private_chroot.sh: throw-away roots that are mounted into and deleted without risk to the
# host. Sourced.
#
# Every mount happens inside a private mount namespace that lives only as long as the
# commands run in it: when they end, however they end (kill -9 included), the kernel drops
# the mounts with the namespace, and nothing is ever left bound under the root in the
# host's view. Deleting a root then cannot reach through a bind into the host's /dev.

# in_private_mounts COMMAND...: runs COMMAND in a new mount namespace whose mounts never
# propagate back to the host.
in_private_mounts() {
  unshare --mount --propagation private -- "$@"
}

# mounts_under DIR: prints every mount point at or below DIR (as /proc/self/mountinfo
# writes it, octal escapes kept), one a line; prints nothing when there is none.
mounts_under() {
  local dir escaped
  dir=$(realpath -m -- "$1")
  # mountinfo escapes these four characters in paths; escape DIR the same way to compare.
  escaped=${dir//\\/\\134}
  escaped=${escaped// /\\040}
  escaped=${escaped//$'\t'/\\011}
  escaped=${escaped//$'\n'/\\012}
  # ENVIRON, not -v: awk would decode the escapes of a -v value.
  DIR="$escaped" awk '$5 == ENVIRON["DIR"] || index($5, ENVIRON["DIR"] "/") == 1 { print $5 }' \
    /proc/self/mountinfo
}

# remove_tree DIR: deletes DIR, refusing (status 1) while anything is mounted at or below
# it. It never crosses into another file system either, so a mount made after the check
# is skipped rather than emptied.
remove_tree() {
  local dir=$1 mounted
  [ -e "$dir" ] || [ -L "$dir" ] || return 0
  mounted=$(mounts_under "$dir")
  if [ -n "$mounted" ]; then
    echo "remove_tree: not deleting $dir: still mounted under it:" >&2
    printf '  %s\n' "$mounted" >&2
    echo "  (umount --recursive --lazy $dir unmounts them)" >&2
    return 1
  fi
  rm -rf --one-file-system -- "$dir"
}

# chroot_privately ROOT COMMAND...: runs COMMAND chrooted into ROOT with /proc, /dev and
# /dev/pts mounted there, in a private mount namespace (see the top of this file).
chroot_privately() {
  # shellcheck disable=SC2016 # expanded by the inner shell
  in_private_mounts bash -c 'set -euo pipefail
    root=$1
    shift
    mount -t proc proc "$root/proc"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    exec chroot "$root" "$@"' chroot_privately "$@"
}

# lock_folder DIR: holds an exclusive lock on DIR for the rest of the calling shell's life
# (and its children's, which inherit it), or fails at once (status 1) when another process
# holds it.
lock_folder() {
  local dir=$1 fd
  exec {fd}<"$dir"
  if ! flock --nonblock "$fd"; then
    echo "lock_folder: $dir is in use by another run (flock); try again when it ends" >&2
    exec {fd}<&-
    return 1
  fi
}
