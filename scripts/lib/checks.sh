# shellcheck shell=bash
# checks.sh: named checks counted into passed/failed, for the scripts that try a build for
# real. Sourced; the caller defines finish, which reports the counts and exits.

passed=0
failed=0

# check NAME COMMAND...: runs one check, prints "ok - NAME" or "FAILED - NAME" and counts
# it. The run goes on either way: returns 0.
check() {
  local name=$1
  shift
  if "$@"; then
    echo "ok - $name"
    passed=$((passed + 1))
  else
    echo "FAILED - $name"
    failed=$((failed + 1))
  fi
}

# check_or_finish NAME COMMAND...: a check the rest of the run depends on; when it fails,
# the run ends there through finish.
check_or_finish() {
  local failed_before=$failed
  check "$@"
  if [ "$failed" -ne "$failed_before" ]; then
    echo "   (the remaining checks depend on this one: stopping here)"
    finish
  fi
}

# All checks passed, and there was at least one.
all_checks_passed() { [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]; }
