#!/usr/bin/env bash
# Starts the game. On a desktop ($DISPLAY set) the window opens there. Without a
# display the game starts under Xvfb, a screenshot of the screen is saved to
# build/screenshot.png once the window is up, and the game is closed again.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe="$repo/build/win/bin/Quorrel.exe"
[ -f "$exe" ] || { echo "missing $exe: run 'make run'" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ]; then
  QUORREL_USE_DISPLAY=1 exec "$repo/scripts/wine-session.sh" wine "$exe"
fi

shot="$repo/build/screenshot.png"
"$repo/scripts/wine-session.sh" bash -c '
  wine "$1" & game=$!
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "Wine desktop" && break
    sleep 0.2
  done
  sleep 3
  import -window root "$2"
  kill $game 2>/dev/null; wineserver -k 2>/dev/null
  true' _ "$exe" "$shot"
[ -f "$shot" ] && echo "No display: the game ran under Xvfb; its screenshot is $shot"
