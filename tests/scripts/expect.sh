# shellcheck shell=bash
# expect.sh: the one-line cases of the shell tests. Sourced; the test sets failures=0 and
# exits with failure when it is above 0 at the end.

# expect NAME COMMAND...: one case; prints "ok - NAME" or "FAILED - NAME" and counts failures.
expect() {
  local name=$1
  shift
  if "$@"; then
    echo "ok - $name"
  else
    echo "FAILED - $name"
    failures=$((failures + 1))
  fi
}
