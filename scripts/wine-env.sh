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
  trap stop_wine EXIT
}

stop_wine() {
  "$WINESERVER" -k 2>/dev/null || true
}
