#!/usr/bin/env bash
# The demo on the bundled sample: packs the sample configuration into a container with both
# builds of setupkit and unpacks it again; turns it into the client record, stamps that into
# setup.exe, shows what the executable carries and starts it under Wine, where its window waits
# until the demo ends it. Then builds the sample client's installer with setupkit build, inspects
# it, installs it through its window under Wine, clicking through the three pages with the real
# pointer and saving a screenshot of each, and lists what landed; installs it again without a
# window through the install flow, listing what landed; builds it for download mode and in archive
# mode without a "source" for updates; at the end uninstalls it through its registered
# UninstallString and shows that nothing of it is left.
set -euo pipefail
cd "$(dirname "$0")/.."
# The window shows on the user's display, else on a virtual one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" scripts/demo.sh "$@"
fi
source scripts/wine-env.sh

# The sample's registration: the product key and the uninstall key with their values, the Run
# value, and the shortcuts and program group named after the product.
PRODUCT_KEY='HKLM\Software\Example\democlient'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Exampledemoclient'
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
show_registration() {
  echo "-- registry values (the product key, then the uninstall key):"
  for key in "$PRODUCT_KEY" "$UNINSTALL_KEY"; do
    # Exported rather than queried: the export is UTF-16, so Chinese values survive the trip.
    if "$WINE" reg export "$key" "$OUT/key.reg" /y >/dev/null 2>&1; then
      iconv -f UTF-16 -t UTF-8 "$OUT/key.reg" | tr -d '\r' | grep -v -e '^$' -e '^Windows Registry'
    else
      echo "  $key: (no such key)"
    fi
  done
  echo "-- the Run value named after the product:"
  "$WINE" reg export "$RUN_KEY" "$OUT/run.reg" /y >/dev/null 2>&1 || true
  found=$(iconv -f UTF-16 -t UTF-8 "$OUT/run.reg" 2>/dev/null | tr -d '\r' | grep '^"示例客户端"' || true)
  echo "${found:-  (none)}"
  echo "-- shortcuts and the program group named after the product:"
  found=$(find "$WINEPREFIX/drive_c" -name '*示例客户端*' 2>/dev/null | sed "s|$WINEPREFIX/||" | LC_ALL=C sort)
  echo "${found:-  (none)}"
}

# The files that landed in FOLDER with their sizes, and the entries of its "uninst.dat".
show_installed() {
  echo "-- files that landed (bytes, path):"
  (cd "$1" && find . -type f -printf '%10s  %P\n' | LC_ALL=C sort -k2)
  echo "-- uninst.dat, entry by entry:"
  tail -c +3 "$1/uninst.dat" | iconv -f UTF-16LE -t UTF-8 | tr '|' '\n' | sed 's/^/  /'
  echo
}

# Each install starts from nothing: the previous installs' folders, keys and shortcuts go first.
WINDOW_FOLDER="$WINEPREFIX/drive_c/Program Files/Example/democlient"
start_from_nothing() {
  rm -rf "$OUT/installed" "$WINDOW_FOLDER"
  "$WINE" reg delete "$PRODUCT_KEY" /f >/dev/null 2>&1 || true
  "$WINE" reg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1 || true
  "$WINE" reg delete "$RUN_KEY" /v 示例客户端 /f >/dev/null 2>&1 || true
  find "$WINEPREFIX/drive_c" -name '*示例客户端*' -prune -exec rm -rf {} + 2>/dev/null || true
}

NATIVE=build/native/bin/setupkit
WINDOWS=build/windows/bin/setupkit.exe
OUT=build/demo
mkdir -p "$OUT"
start_wine

echo "== sample configuration (samples/config.txt, $(wc -c <samples/config.txt) bytes)"
cat samples/config.txt
echo
echo "== setupkit pack samples/config.txt $OUT/config.rec"
"$NATIVE" pack samples/config.txt "$OUT/config.rec"
echo "container: $(wc -c <"$OUT/config.rec") bytes; header:"
head -c 10 "$OUT/config.rec" | od -An -tx1
echo "scrambled payload begins:"
tail -c +11 "$OUT/config.rec" | head -c 32 | od -An -tx1

echo
echo "== setupkit unpack $OUT/config.rec $OUT/config.txt"
"$NATIVE" unpack "$OUT/config.rec" "$OUT/config.txt"
cmp samples/config.txt "$OUT/config.txt" && echo "round trip: identical to samples/config.txt"

echo
echo "== the same with setupkit.exe under Wine"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" pack ../../samples/config.txt config-win.rec)
cmp "$OUT/config.rec" "$OUT/config-win.rec" && echo "windows container: byte-identical to the native one"
"$NATIVE" unpack "$OUT/config-win.rec" "$OUT/config-win.txt"
cmp samples/config.txt "$OUT/config-win.txt" && echo "native setupkit unpacks it: identical to samples/config.txt"

echo
echo "== setupkit config samples/config.txt $OUT/config-record.rec --packed"
"$NATIVE" config samples/config.txt "$OUT/config-record.rec" --packed
echo "client record: $(wc -c <"$OUT/config-record.rec") bytes, packed"

echo
echo "== setupkit.exe stamp setup.exe config-record.rec (under Wine)"
cp build/windows/bin/setup.exe "$OUT/setup.exe"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" stamp setup.exe config-record.rec)
echo "stamped $OUT/setup.exe"

echo
echo "== setupkit.exe show setup.exe (under Wine): the configuration it carries"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" show setup.exe) | tee "$OUT/setup-shown.txt"
"$NATIVE" show "$OUT/config-record.rec" | cmp -s - "$OUT/setup-shown.txt" &&
  echo "identical to what the native setupkit shows for the record"

echo
echo "== starting setup.exe under Wine"
# Wine's dialog trace tells whether a message box was made (the damaged-package question). The
# stamped stub carries no client: its install window waits for a person, and the demo ends it.
status=0
(cd "$OUT" && WINEDEBUG=trace+dialog timeout 10 "$WINE" setup.exe 2>setup-trace.txt) || status=$?
boxes=$(grep -c 'DIALOG_CreateIndirect' "$OUT/setup-trace.txt" || true)
echo "message boxes shown: $boxes; the install window stayed open until the demo ended it" \
  "(timeout status $status)"

echo
echo "== setupkit.exe build: the sample client's installer (under Wine)"
# The client folder: the sample files and the demo's client program as client.exe.
rm -rf "$OUT/client"
cp -r samples/client "$OUT/client"
cp build/windows/bin/sample_client.exe "$OUT/client/client.exe"
rm -f "$OUT/demo-setup.exe"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" build --config ../../samples/config.txt \
  --client client --skin ../../samples/skin --theme ../../samples/theme.txt -o demo-setup.exe)
echo "built $OUT/demo-setup.exe: $(wc -c <"$OUT/demo-setup.exe") bytes" \
  "(the stub: $(wc -c <build/windows/bin/setup.exe) bytes)"

echo
echo "== setupkit.exe inspect demo-setup.exe (under Wine)"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" inspect demo-setup.exe)

echo
echo "== the same installer with the native setupkit, without Wine"
"$NATIVE" build --config samples/config.txt --client "$OUT/client" --skin samples/skin \
  --theme samples/theme.txt --stub build/windows/bin/setup.exe -o "$OUT/demo-setup-native.exe"
cmp "$OUT/demo-setup.exe" "$OUT/demo-setup-native.exe" &&
  echo "identical to what setupkit.exe built, byte for byte"

echo
echo "== setup.exe through its window: demo-setup.exe on the display $DISPLAY, clicked as a person" \
  "would"
start_from_nothing
# The pointer clicks start on the first page and, on the finish page, finish, which starts the
# client and ends setup.exe; the demo's client ends at once.
name=$(sed -n 's/^name=\(.*\);$/\1/p' samples/config.txt)
/usr/bin/python3 scripts/demo_window.py "$OUT/demo-setup.exe" "$name" "$OUT"
show_installed "$WINDOW_FOLDER"
show_registration

echo
echo "== install_headless.exe demo-setup.exe installed: the install flow, without its window"
start_from_nothing
status=0
# Wine notes on stderr that it cannot read the host volume's label; that is Wine's, not ours.
(cd "$OUT" && timeout 300 "$WINE" "$PWD/../../build/windows/bin/install_headless.exe" \
  demo-setup.exe installed 2> >(grep -v 'FS volume label' >&2)) || status=$?
echo "install_headless exit status: $status"
show_installed "$OUT/installed"
show_registration

echo
echo "== the same client for download mode: setupkit.exe build --download"
rm -f "$OUT/demo-setup-download.exe"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" build --config ../../samples/config.txt \
  --client client --skin ../../samples/skin --theme ../../samples/theme.txt --download \
  -o demo-setup-download.exe)
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" inspect demo-setup-download.exe) | sed -n '/^payload:/,$p'

echo
echo "== the same client for a vendor without a download server: no \"source\" in the configuration"
grep -v '^source=' samples/config.txt >"$OUT/offline-config.txt"
rm -f "$OUT/demo-setup-offline.exe"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" build --config offline-config.txt --client client \
  -o demo-setup-offline.exe)
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" inspect demo-setup-offline.exe) | sed -n '/^payload:/,$p'

echo
echo "== a client folder without its client file is refused"
mkdir -p "$OUT/no-client"
printf 'no program here' >"$OUT/no-client/readme.txt"
status=0
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" build --config ../../samples/config.txt \
  --client no-client -o refused.exe) || status=$?
echo "exit status $status; output left behind: $([ -e "$OUT/refused.exe" ] && echo yes || echo no)"

echo
echo "== uninstalling the sample through its registered UninstallString (silent)"
uninstaller=$("$WINE" reg query "$UNINSTALL_KEY" /v UninstallString 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *UninstallString *REG_SZ *//p')
echo "UninstallString: $uninstaller"
# One quoted path, as the system's list of programs runs it: the path is what lies inside the
# quotes.
uninstaller=${uninstaller#\"}
uninstaller=${uninstaller%\"}
status=0
timeout 120 "$WINE" "$uninstaller" silent || status=$?
echo "unins000.exe exit status: $status"
# The uninstaller's own file and the folder go once it has ended, removed by a copy of it that
# waits in the temporary folder.
for _ in $(seq 100); do [ -e "$OUT/installed" ] || break; sleep 0.2; done
echo "-- what is left of $OUT/installed:"
if [ -e "$OUT/installed" ]; then (cd "$OUT/installed" && find . -printf '  %P\n'); else echo "  (the folder is gone)"; fi
show_registration
