# shellcheck shell=bash
# show_title.sh: the title of the settings dialog and of the show's window, read from the
# program's own source (kWindowTitle), so the scripts that look for the windows never
# disagree with it. Sourced from the repository's top folder; sets title.

title=$(sed -n 's/.*kWindowTitle\[\] = "\([^"]*\)".*/\1/p' app/*.h app/*.cpp | head -n 1)
if [ -z "$title" ]; then
  echo "${0##*/}: no kWindowTitle in app/: cannot tell which windows to look for" >&2
  exit 1
fi
