# Sourced by the scripts that run Windows programs: one private Wine prefix inside build/, quiet,
# without the .NET and HTML engines Wine would otherwise offer to install.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX="$PWD/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Starts one wineserver for the whole run (creating the prefix on first use) and stops it when the
# calling script exits, also on failure.
start_wine() {
  mkdir -p "$WINEPREFIX"
  [ -f "$WINEPREFIX/system.reg" ] || echo "wine: creating the prefix in $WINEPREFIX"
  # The server and the services that the first program starts inherit that program's output;
  # starting them here, on /dev/null, keeps them from holding a caller's pipe open.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
  chinese_fonts
  trap stop_wine EXIT
}

# The prefix has no Chinese fonts of Windows: the Chinese face the skin names ("微软雅黑") is
# replaced by WenQuanYi Micro Hei (Debian's fonts-wqy-microhei), and the faces that fall back
# to Latin-only fonts (Arial for the window's texts, Tahoma for message boxes) borrow its glyphs
# through font linking, so Chinese text shows instead of boxes in what the tests look at.
chinese_fonts() {
  local wqy="wqy-microhei.ttc,WenQuanYi Micro Hei"
  local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  # The face's name reaches Wine as UTF-8 whatever the caller's locale.
  LC_ALL=C.UTF-8 "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' /d 'WenQuanYi Micro Hei' \
    /f </dev/null >/dev/null 2>&1 || true
  for face in Arial Tahoma 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    "$WINE" reg add "$link" /v "$face" /t REG_MULTI_SZ /d "$wqy" /f </dev/null >/dev/null 2>&1 || true
  done
}

stop_wine() {
  "$WINESERVER" -k 2>/dev/null || true
}
