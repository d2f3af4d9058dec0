#!/usr/bin/env bash
# Creates (once) the private Wine prefix: virtual desktop, Tahoma, CJK font link.
# Needs a running X server on $DISPLAY.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
stamp="$WINEPREFIX/.quorrel-ready"
[ -f "$stamp" ] && exit 0

mkdir -p "$(dirname "$WINEPREFIX")"
echo "Creating the Wine prefix in $WINEPREFIX (takes about 20 s) ..."
wineboot -i >/dev/null 2>&1 || true
wineserver -w

reg() { wine reg add "$@" /f >/dev/null 2>&1; }
# A virtual desktop: without a window manager Wine waits on every top-level DestroyWindow.
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
# Tahoma as on Windows, with a CJK fallback for the Chinese texts.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp /usr/share/wine/fonts/tahoma*.ttf "$fonts/"
cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/"
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei'
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'Microsoft Sans Serif' /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei'
wineserver -w
touch "$stamp"
