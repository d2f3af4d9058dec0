#!/usr/bin/env bash
# build.sh native|asan|win: configures (once) and builds one of the three build trees.
#   native  Release build of the portable code, the host tools and the benchmarks
#   asan    native build of the portable code and its tests under ASan + UBSan
#   win     Windows x86-64 cross build: the game and every test, run under Wine
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${JOBS:-$(nproc)}
kind=$1
case "$kind" in
  native) args=(-DCMAKE_BUILD_TYPE=Release -DQUORREL_TESTS=OFF -DQUORREL_BENCH=ON) ;;
  asan)   args=(-DCMAKE_BUILD_TYPE=Debug -DQUORREL_SANITIZE=ON) ;;
  win)    "$0" native
          args=(-DCMAKE_BUILD_TYPE=Release
                -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake"
                -DQUORREL_HOST_BIN_DIR="$repo/build/native/bin") ;;
  *) echo "usage: $0 native|asan|win" >&2; exit 2 ;;
esac
dir="$repo/build/$kind"
[ -f "$dir/CMakeCache.txt" ] || cmake -S "$repo" -B "$dir" "${args[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"
