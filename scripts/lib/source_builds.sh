# shellcheck shell=bash
# source_builds.sh: building third-party libraries from Debian's source packages, for the
# cross builds (build_windows.sh, build_web.sh). Sourced.

# source_build_folders OUT: the folders of one cross build, made when missing:
#   sources   OUT/sources, where the downloaded tarballs are kept
#   work      OUT/third_party, where each library is unpacked and its build log written
#   prefix    OUT/prefix, where the built libraries go; prefix/stamps/NAME marks one built
source_build_folders() {
  sources=$1/sources
  work=$1/third_party
  prefix=$1/prefix
  mkdir -p "$sources" "$work" "$prefix/stamps"
}

# Debian's orig tarball of a source package, downloaded into $sources once: prints its
# path. The Debian part is not needed, and the newest version's files are not always
# served (security updates), so each version apt knows is tried in turn.
fetch_orig() {
  local package=$1 pattern=$2 tarball version log=$sources/$1.download.log
  tarball=$(find "$sources" -maxdepth 1 -name "$pattern" | head -n 1)
  if [ -z "$tarball" ]; then
    : >"$log"
    for version in "" $(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p'); do
      # A failed try is not the end: the next version may be served.
      (cd "$sources" && apt-get source --download-only "$package${version:+=$version}") \
        >>"$log" 2>&1 || true
      tarball=$(find "$sources" -maxdepth 1 -name "$pattern" | head -n 1)
      [ -n "$tarball" ] && break
    done
  fi
  if [ -z "$tarball" ]; then
    tail -n 20 "$log" >&2
    echo "${0##*/}: could not download the source of $package ($pattern); apt's answers" \
      "are in $log" >&2
    return 1
  fi
  echo "$tarball"
}

# Unpacks a tarball into a fresh folder $work/NAME and prints the source folder in it.
unpack() {
  local name=$1 tarball=$2
  rm -rf "${work:?}/$name" "$work/$name.log"
  mkdir -p "$work/$name"
  tar -xf "$tarball" -C "$work/$name" || return 1
  find "$work/$name" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# unpack_source NAME PACKAGE PATTERN: fetch_orig and unpack in one; prints the source
# folder, or fails with the reason.
unpack_source() {
  local name=$1 tarball
  tarball=$(fetch_orig "$2" "$3") || return 1
  unpack "$name" "$tarball"
}

# Runs a build step with its output in $work/NAME.log, shown when the step fails; a failed
# step ends the script.
logged() {
  local name=$1
  shift
  if ! "$@" >>"$work/$name.log" 2>&1; then
    tail -n 40 "$work/$name.log" >&2
    echo "${0##*/}: building $name failed; the whole log is $work/$name.log" >&2
    exit 1
  fi
}

built() { [ -f "$prefix/stamps/$1" ]; }
mark_built() { mkdir -p "$prefix/stamps" && touch "$prefix/stamps/$1"; }

# Third-party builds run at low priority: they share the machine.
low() { nice -n 15 "$@"; }
