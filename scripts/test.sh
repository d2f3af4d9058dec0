#!/usr/bin/env bash
# Builds both trees and runs every test: native under the sanitizers, then the
# Windows tests under Wine. Exits non-zero if anything fails.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$repo/scripts/deps.sh" || exit 1
"$repo/scripts/build.sh" asan || exit 1
"$repo/scripts/build.sh" win || exit 1

status=0
echo "== Native tests (ASan + UBSan)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$repo/build/asan" --output-on-failure -j 2 || status=1
echo "== Windows tests (Wine)"
"$repo/scripts/wine-session.sh" ctest --test-dir "$repo/build/win" --output-on-failure || status=1
exit $status
