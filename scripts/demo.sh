#!/usr/bin/env bash
# The demo on the bundled sample: packs the sample configuration into a container with both
# builds of setupkit and unpacks it again; turns it into the client record, stamps that into
# setup.exe, shows what the executable carries, and starts setup.exe under Wine. Then zips a
# small client folder into an encrypted archive, as the payload's "app.zip" is made.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

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
# Wine's dialog trace tells whether a message box was made (the damaged-package question).
status=0
(cd "$OUT" && WINEDEBUG=trace+dialog timeout 120 "$WINE" setup.exe 2>setup-trace.txt) || status=$?
boxes=$(grep -c 'DIALOG_CreateIndirect' "$OUT/setup-trace.txt" || true)
echo "setup.exe exit status: $status; message boxes shown: $boxes"
echo "(it loaded its configuration; the install window comes later)"

echo
echo "== setupkit zip $OUT/client $OUT/app.zip"
rm -rf "$OUT/client"
mkdir -p "$OUT/client/skin" "$OUT/client/数据"
printf 'the client program' >"$OUT/client/client.exe"
printf 'name=client;' >"$OUT/client/app.txt"
head -c 4096 /dev/urandom >"$OUT/client/skin/back.png"
printf '说明' >"$OUT/client/数据/说明.txt"
"$NATIVE" zip "$OUT/client" "$OUT/app.zip"
echo "entries, in archive order (UTF-8 names, flag bits, attributes):"
python3 - "$OUT/app.zip" <<'PYTHON'
import sys, zipfile
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    encrypted = "encrypted" if info.flag_bits & 1 else "plain"
    print(f"  {info.filename:<20} flags 0x{info.flag_bits:04x} ({encrypted}),"
          f" attributes 0x{info.external_attr:02x}")
PYTHON
password=$(sed -n 's/^ARCHIVE_PASSWORD:STRING=//p' build/native/CMakeCache.txt)
if unzip -qq -P wrong-password -t "$OUT/app.zip" >/dev/null 2>&1; then
  echo "with a wrong password: readable (unexpected)"
else
  echo "with a wrong password: refused"
fi
unzip -qq -P "$password" -t "$OUT/app.zip" &&
  echo "with the archive password: every entry decrypts and checks"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" zip client app-win.zip)
unzip -qq -P "$password" -t "$OUT/app-win.zip" &&
  echo "setupkit.exe's archive: every entry decrypts and checks too"
