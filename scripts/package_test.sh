#!/usr/bin/env bash
# Builds the Debian package and tries it for real: Debian's checks (lintian, the desktop
# entry, the control fields, a second build byte for byte), then apt-get installs it, plays
# the installed show on a private Xvfb screen (dialog, Enter, the show's window, a scene on
# screen, Escape, exit code 0), captures a frame with the installed capture tool from
# another folder, and purges it again, checking that nothing of it is left. The purge runs
# whatever fails before it. Needs root (or sudo). Exits 0 when every check passes:
# scripts/package_test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib/show_title.sh
began=$(date +%s)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
apt_get=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

scripts/package_deb.sh
built=$(date +%s)
deb=$(ls "$root"/build-deb/kelvo-remix_*.deb)
work=$root/build-deb/test
rm -rf "$work"
mkdir -p "$work/elsewhere"

source scripts/lib/checks.sh
source scripts/lib/private_display.sh
elapsed() { echo "$(( $(date +%s) - began )) s"; }

# --- The package file itself --------------------------------------------------------------
echo "== Checks of $(basename "$deb") ($(elapsed) so far, $(( built - began )) s to build)"
lintian_clean() {
  lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1
  local status=$?
  sed 's/^/   lintian: /' "$work/lintian.txt"
  return "$status"
}
check "lintian reports no errors" lintian_clean
dpkg-deb -x "$deb" "$work/tree"
check "the desktop entry is valid" desktop-file-validate "$work/tree/usr/share/applications/kelvo-remix.desktop"
field_is() { [ "$(dpkg-deb --field "$deb" "$1")" = "$2" ]; }
check "Section games" field_is Section games
check "Priority optional" field_is Priority optional
check "Installed-Size is given" test -n "$(dpkg-deb --field "$deb" Installed-Size)"
check "Depends is computed" test -n "$(dpkg-deb --field "$deb" Depends)"
check "the description has a summary and a body" \
  test "$(dpkg-deb --field "$deb" Description | wc -l)" -ge 3

# A second build with the data folder and the generated package files written anew (new
# file times) must give the same bytes.
same_bytes_again() {
  cp "$deb" "$work/first.deb"
  rm -rf "$root/build-deb/release/data" "$root/build-deb/release/package-files"
  scripts/package_deb.sh >"$work/second_build.log" 2>&1 && cmp "$work/first.deb" "$deb"
}
check "a second build gives the same bytes" same_bytes_again

# --- Installed for real -------------------------------------------------------------------
installed_here() { dpkg-query -W -f='${Status}' kelvo-remix 2>/dev/null | grep -q "install ok installed"; }
if dpkg-query -W kelvo-remix >/dev/null 2>&1; then
  echo "package_test: kelvo-remix is already known to dpkg; purge it first" >&2
  exit 1
fi
# Where a package can leave files; what is there before the install is compared with
# what is there after the purge.
package_areas=(/usr /etc /var/lib/dpkg/info /var/games /opt)
# (find's status is left out: an area may not exist, and files may vanish while it looks.)
list_files() { { find "${package_areas[@]}" -xdev 2>/dev/null || true; } | LC_ALL=C sort; }
list_files >"$work/before.txt"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/$' |
  LC_ALL=C sort >"$work/package_files.txt"

xvfb_pid=
program_pid=
new_packages=()
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  stop_private_xvfb
  if dpkg-query -W kelvo-remix >/dev/null 2>&1; then
    "${apt_get[@]}" purge -y -qq kelvo-remix >"$work/purge.log" 2>&1 || cat "$work/purge.log" >&2
  fi
  # Libraries apt installed for the package alone go too, so the machine is left as found.
  if [ ${#new_packages[@]} -gt 0 ]; then
    if ! "${apt_get[@]}" purge -y -qq "${new_packages[@]}" >>"$work/purge.log" 2>&1; then
      cat "$work/purge.log" >&2
      echo "package_test: could not purge ${new_packages[*]}, which apt installed for the" \
        "package: the machine is not as it was" >&2
      exit 1
    fi
  fi
}
trap cleanup EXIT

echo "== apt-get install ($(elapsed) so far)"
source scripts/lib/installed_packages.sh
installed_packages >"$work/packages_before.txt"
install_package() {
  local status=0
  "${apt_get[@]}" install -y --no-install-recommends "$deb" >"$work/install.log" 2>&1 || status=$?
  # Counted even when the install fails, so the clean-up purges what it brought.
  mapfile -t new_packages < <(packages_added "$work/packages_before.txt" | grep -v '^kelvo-remix:')
  if [ "$status" -ne 0 ]; then
    cat "$work/install.log"
    return 1
  fi
  [ ${#new_packages[@]} -gt 0 ] && echo "   apt also installed: ${new_packages[*]}"
  installed_here
}
check "apt-get installs the package and what it depends on" install_package
installed_here || { echo "package_test: not installed, nothing more to try" >&2; exit 1; }

start_private_xvfb 640x480x16 "$work"
export SDL_AUDIODRIVER=dummy

# Message boxes have a UTF-8 title only, which xwininfo lists and xdotool does not find.
no_message_box() {
  ! xwininfo -root -tree | grep -E '"(Error !|ERROR!|SHUTDOWN ERROR)"'
}
still_running() { kill -0 "$program_pid" 2>/dev/null; }

echo "== The installed show ($(elapsed) so far)"
(cd "$work/elsewhere" && exec /usr/games/kelvo-remix >"$work/show.log" 2>&1) &
program_pid=$!
dialog=$(wait_for_window "$title" 1 30) || dialog=
check "the settings dialog appears" test -n "$dialog"
if [ -n "$dialog" ]; then
  xdotool windowfocus --sync "$dialog" key Return
  show=$(wait_for_window "$title" 400 30) || show=
  check "Enter starts the show in a window titled \"$title\"" test -n "$show"
  # Loading ends before the clock starts: the show plays once a scene is on screen. A show
  # that cannot find its data stops there, with a message box or without.
  scene_or_stop() { screen_shows_scene "$work/frame.png" || ! no_message_box || ! still_running; }
  wait_until 60 scene_or_stop >/dev/null ||
    echo "   no scene on screen within 60 s of the show's window opening"
  check "the show still plays after loading" still_running
  check "no message box came up" no_message_box
  check "the installed show draws a scene" screen_shows_scene "$work/frame.png"
  # Escape is read once the main loop runs; it is pressed again until the program ends.
  # A message box takes the keys itself (and was reported above), so none is pressed then;
  # the clean-up stops a program still running.
  exit_code=
  no_message_box >/dev/null && for _ in $(seq 30); do
    [ -n "$show" ] && xdotool key --window "$show" Escape 2>/dev/null || true
    for _ in $(seq 10); do
      if ! still_running; then
        wait "$program_pid" && exit_code=0 || exit_code=$?
        break 2
      fi
      sleep 0.1
    done
  done
  [ -n "$exit_code" ] && program_pid=
  check "Escape ends the program with exit code 0 (got ${exit_code:-no exit})" test "$exit_code" = 0
fi
sed 's/^/   show: /' "$work/show.log"

echo "== The installed capture tool ($(elapsed) so far)"
capture_writes_a_frame() {
  (cd "$work/elsewhere" && /usr/games/kelvo-remix-capture --at 60000 --out frames) \
    >"$work/capture.log" 2>&1 || { cat "$work/capture.log"; return 1; }
  file "$work/elsewhere/frames/frame_060000.png" | grep -q "PNG image data, 640 x 480"
}
check "kelvo-remix-capture --at 60000 --out frames writes the frame in the caller's folder" \
  capture_writes_a_frame
# A data folder named by the caller is the one read: an empty one has no music to play.
capture_reads_the_callers_data() {
  mkdir -p "$work/elsewhere/empty"
  (cd "$work/elsewhere" && /usr/games/kelvo-remix-capture --data empty --at 0 --out frames_empty) \
    >"$work/capture_empty.log" 2>&1 && return 1
  grep -q "Can't read music" "$work/capture_empty.log"
}
check "kelvo-remix-capture --data DIR reads the caller's folder instead" capture_reads_the_callers_data
# Every option the installed tool lists has its entry in the manual page.
# The page's text is read once into a file: grep -q ending a pipeline early would fail
# its writer with SIGPIPE, which pipefail reports as a missing option.
man_page_lists_every_option() {
  local option missing=0
  zcat /usr/share/man/man6/kelvo-remix-capture.6.gz | sed 's/\\-/-/g' >"$work/capture_man.txt" || return 1
  for option in $(/usr/games/kelvo-remix-capture --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    if ! grep -qF -- "$option" "$work/capture_man.txt"; then
      echo "   the manual page does not mention $option"
      missing=1
    fi
  done
  return "$missing"
}
check "the capture tool's manual page lists every option of its --help" man_page_lists_every_option

# --- Purged -------------------------------------------------------------------------------
echo "== apt-get purge ($(elapsed) so far)"
stop_private_xvfb
purge_package() {
  "${apt_get[@]}" purge -y -qq kelvo-remix >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; return 1; }
}
check "apt-get purges the package" purge_package
list_files >"$work/after.txt"
LC_ALL=C comm -13 "$work/before.txt" "$work/after.txt" >"$work/new_files.txt"
nothing_of_the_package_left() {
  local left
  left=$( (LC_ALL=C comm -13 "$work/before.txt" "$work/package_files.txt" |
    while read -r path; do [ -e "$path" ] && echo "$path"; done
    grep -i kelvo "$work/new_files.txt") | sort -u)
  [ -z "$left" ] && return 0
  echo "$left" | sed 's/^/   left behind: /'
  return 1
}
check "nothing of the package is left on the file system" nothing_of_the_package_left
check "dpkg no longer knows the package" bash -c '! dpkg-query -W kelvo-remix >/dev/null 2>&1'

echo "package test: $passed passed, $failed failed ($(elapsed) in all, $(( built - began )) s to build)"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
