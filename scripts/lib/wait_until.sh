# shellcheck shell=bash
# wait_until.sh: polling for an event with a deadline. Sourced.

# wait_until SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds (0) or SECONDS
# have passed (1).
wait_until() {
  local seconds=$1 deadline
  shift
  deadline=$(( $(date +%s) + seconds ))
  until "$@"; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
