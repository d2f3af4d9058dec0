#!/usr/bin/env bash
# wine-session.sh COMMAND...: runs COMMAND with one X server and one persistent
# wineserver for its whole duration, then stops both, also on failure or interrupt.
# Uses the caller's $DISPLAY when QUORREL_USE_DISPLAY=1, otherwise a private Xvfb.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ "${QUORREL_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
fi

"$here/wine-prefix.sh" || exit 1
wineserver -p >/dev/null 2>&1
# Start Wine's background services now, detached from our output: a service
# started by the first test would otherwise hold the test runner's pipe open.
wine wineboot >/dev/null 2>&1 </dev/null
"$@"
