#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game. On a desktop ($DISPLAY set) the window opens there. Without a
# display the game starts under Xvfb; once its window is up, the start button
# is pressed and a screenshot of the whole window (frame and title bar
# included) with the dealt board is saved to build/screenshot.png (the window
# before the press: build/screenshot-idle.png); then the colour buttons are
# pressed in turn until the game is won, and the window with its win message
# is saved to build/screenshot-win.png; then the game is closed. Before the
# play, the key G shows the colour glyphs and the pointer rests on the move
# count for its solver hint: build/screenshot-glyphs.png.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$repo/scripts/deps.sh" || exit 1
"$repo/scripts/build.sh" win || exit 1
exe="$repo/build/win/bin/Quorrel.exe"

if [ -n "${DISPLAY:-}" ]; then
  QUORREL_USE_DISPLAY=1 exec "$repo/scripts/wine-session.sh" wine "$exe"
fi

"$repo/scripts/wine-session.sh" bash -c '
  exe=$1 out=$2
  # The colour of one screen pixel, to see when the window has been drawn.
  pixel() { import -window root -crop 1x1+$1+$2 -depth 8 txt:- 2>/dev/null | tail -1 | cut -d" " -f4; }
  wine "$exe" & game=$!
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "Wine desktop" && break
    sleep 0.2
  done
  # The window is centred on the 1280 x 1024 desktop: wait until its centre is
  # drawn over the desktop background and has stopped changing.
  desktop=$(pixel 5 5) last="" stable=0
  for _ in $(seq 150); do
    now=$(pixel 640 520)
    if [ -n "$now" ] && [ "$now" != "$desktop" ] && [ "$now" = "$last" ]; then
      stable=$((stable + 1)); [ $stable -ge 4 ] && break
    else
      stable=0
    fi
    last=$now
    sleep 0.2
  done
  # The 654 x 550 window sits at (313, 237); its client area starts at (2, 27) in it.
  window=654x550+313+237
  import -window root -crop $window +repage "$out/screenshot-idle.png"
  # The start button: client point (550, 141).
  xdotool mousemove 865 405 click 1
  sleep 1
  import -window root -crop $window +repage "$out/screenshot.png"
  # G shows the colour glyphs: the same board with its glyphs, and with the
  # pointer resting on the move count, the solver hint over it; G again hides them.
  # The hint opens below the window, so this picture reaches 50 pixels further down.
  xdotool key g
  xdotool mousemove 380 760
  sleep 0.2
  xdotool mousemove 386 767
  sleep 1.2
  import -window root -crop 654x600+313+237 +repage "$out/screenshot-glyphs.png"
  xdotool key g
  sleep 0.3
  # Play on by pressing the six colour buttons in turn until the win message
  # shows its title bar (the title colour at the top of the centred box),
  # then save the window with the message over it.
  buttons="803,514 859,514 915,514 803,570 859,570 915,570"
  for _ in $(seq 40); do
    for b in $buttons; do
      xdotool mousemove ${b%,*} ${b#*,} click 1
      sleep 0.05
    done
    [ "$(pixel 600 440)" = "#DC0FFF" ] && break
  done
  sleep 0.5
  import -window root -crop $window +repage "$out/screenshot-win.png"
  xdotool key Return
  kill $game 2>/dev/null; wineserver -k 2>/dev/null
  true' _ "$exe" "$repo/build"
[ -f "$repo/build/screenshot.png" ] &&
  echo "No display: the game ran under Xvfb; its screenshot after pressing start is $repo/build/screenshot.png"
