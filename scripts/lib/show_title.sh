# shellcheck shell=bash
# show_title.sh: sets title to the program's title (the settings dialog's caption and the
# show window's title), read from the header the program is built with, so the scripts that
# look for its windows never disagree with it. Sourced, from any folder.

title=$(sed -n 's/^#define KELVO_TITLE "\(.*\)"$/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../../app/resources/resource_ids.h")
if [ -z "$title" ]; then
  echo "${0##*/}: no KELVO_TITLE in app/resources/resource_ids.h: cannot tell which windows to look for" >&2
  exit 1
fi
