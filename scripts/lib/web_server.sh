# shellcheck shell=bash
# web_server.sh: a static web server on 127.0.0.1 for the browser scripts. Sourced.

source "$(dirname "${BASH_SOURCE[0]}")/wait_until.sh"

# start_web_server DIR LOG: serves DIR on a free port of 127.0.0.1 with Python's
# http.server, its output in LOG; sets server_pid and port. Fails with the server's output
# when no port is announced within 10 s.
start_web_server() {
  local dir=$1 log=$2
  python3 -u -m http.server --bind 127.0.0.1 --directory "$dir" 0 >"$log" 2>&1 &
  server_pid=$!
  port=
  if wait_until 10 server_announced "$log"; then
    port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$log" | head -n 1)
  fi
  if [ -z "$port" ]; then
    echo "${0##*/}: the web server did not start:" >&2
    sed 's/^/   server: /' "$log" >&2
    return 1
  fi
}
# Python prints "Serving HTTP on 127.0.0.1 port N ..." once it listens; a server that died
# ends the wait early.
server_announced() {
  grep -q 'port [0-9]' "$1" || ! kill -0 "$server_pid" 2>/dev/null
}

stop_web_server() {
  if [ -n "${server_pid:-}" ]; then
    kill "$server_pid" 2>/dev/null || true
    server_pid=
  fi
}
