#!/usr/bin/env bash
# Runs a Windows program under the project's private Wine prefix.
# Used by CTest as the cross-compiling emulator and by the run scripts.
# Expects a running X server on $DISPLAY (scripts/wine-session.sh provides one).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
exec wine "$@"
