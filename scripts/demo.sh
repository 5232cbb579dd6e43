#!/usr/bin/env bash
# The demo on the bundled sample: packs the sample configuration into a record container with
# both builds of setupkit, unpacks it again and shows that nothing changed on the way.
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
