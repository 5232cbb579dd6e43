#!/usr/bin/env bash
# The demo on the bundled sample: packs the sample configuration into a record container with
# both builds of setupkit, unpacks it again and shows that nothing changed on the way; then zips
# a small client folder into an encrypted archive, as the payload's "app.zip" is made.
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
    print(f"  {info.filename:<20} flags 0x{info.flag_bits:04x} ({encrypted}), attributes 0x{info.external_attr:02x}")
PYTHON
password=$(sed -n 's/^ARCHIVE_PASSWORD:STRING=//p' build/native/CMakeCache.txt)
if unzip -qq -P wrong-password -t "$OUT/app.zip" >/dev/null 2>&1; then
  echo "with a wrong password: readable (unexpected)"
else
  echo "with a wrong password: refused"
fi
unzip -qq -P "$password" -t "$OUT/app.zip" && echo "with the archive password: every entry decrypts and checks"
(cd "$OUT" && "$WINE" "$PWD/../../$WINDOWS" zip client app-win.zip)
unzip -qq -P "$password" -t "$OUT/app-win.zip" && echo "setupkit.exe's archive: every entry decrypts and checks too"
