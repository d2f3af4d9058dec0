#!/usr/bin/env bash
# soak.sh [rounds] [report-every] [--real-input]: builds the game-window memory
# soak and runs it under Wine. It plays rounds in one process (start, up to 45
# colour clicks, close the win message; 400 rounds by default) and prints the
# working set, the heap in use and the GDI objects every 50 rounds. Flat columns
# after the first report mean no per-round leak.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${JOBS:-$(nproc)}
dir="$repo/build/win"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  host=${QUORREL_HOST_BIN_DIR:-$repo/build/native/bin}
  [ -x "$host/skingen" ] || "$repo/scripts/build.sh" native
  cmake -S "$repo" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" -DQUORREL_HOST_BIN_DIR="$host" >/dev/null
fi
cmake --build "$dir" --target quorrel_soak -j "$jobs" >/dev/null
"$repo/scripts/wine-session.sh" wine "$dir/bin/quorrel_soak.exe" "$@"
