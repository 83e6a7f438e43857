#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a private Xvfb (640x480, 16 bits)
# started for the command and stopped after it.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
exec 3< <(Xvfb -displayfd 1 -screen 0 640x480x16 -nolisten tcp 2>/dev/null & echo "pid $!"; wait)
read -r _ xvfb_pid <&3
read -r display_number <&3
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$display_number"
"$@"
