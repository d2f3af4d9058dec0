#!/usr/bin/env bash
# Creates (once) the private Wine prefix: virtual desktop, Tahoma, CJK font link.
# Needs a running X server on $DISPLAY.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
# Bump when the settings below change, so existing prefixes pick them up.
settings_version=3
stamp="$WINEPREFIX/.quorrel-settings"
[ "$(cat "$stamp" 2>/dev/null)" = "$settings_version" ] && exit 0

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix in $WINEPREFIX (takes about 20 s) ..."
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi

reg() { wine reg add "$@" /f >/dev/null 2>&1; }
# A virtual desktop: without a window manager Wine waits on every top-level DestroyWindow.
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
# Wine's own fonts (Tahoma, Marlett for the caption buttons, ...) as on Windows,
# and a CJK font for the Chinese texts.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp /usr/share/wine/fonts/*.ttf "$fonts/"
cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/"
# GDI text falls back to the CJK font through font linking ...
for face in Tahoma 'Tahoma Bold' 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei'
done
# ... and the script fallback of edit controls (Han script) names it directly.
reg 'HKCU\Software\Wine\Fonts\ScriptFallback' /v 696e6168 /d 'WenQuanYi Micro Hei'
for face in SimSun 'Microsoft YaHei' 'Microsoft JhengHei' MingLiU 'MS Song' 'MS Mincho' 'MS Gothic'; do
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'WenQuanYi Micro Hei'
done
wineserver -w
echo "$settings_version" > "$stamp"
