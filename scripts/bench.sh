#!/usr/bin/env bash
# Speed figures, each beside a standard tool timed in the same run (best of three): reading a
# 20 MB archive of 2,000 files entry by entry, MD5 of a 100 MB file and the update list of a
# 2,000-file folder (native build, data generated under build/bench), and decoding every image of
# the sample skin (beside ImageMagick's convert); then, under Wine, Download of
# a 50 MB file from the tests' HTTP server on 127.0.0.1 beside curl fetching the same URL, one full
# recomposition of the install window's elements over a 600 x 400 frame from the sample skin
# (beside convert reading and composing the same images at the same places), and the time from
# starting setup.exe to its window's first frame on the screen beside a plain Win32 window
# started the same way; and the archive-mode install of generated clients by install_headless.exe
# and by setup.exe silent through its window, beside an NSIS installer doing the same work and
# unzip extracting the very archive they install from, interleaved, with a window manager
# (tests/bench/install_peers.py).
set -euo pipefail
cd "$(dirname "$0")/.."
# The window figures need a display: a virtual one unless there is a real one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" scripts/bench.sh "$@"
fi
for tool in unzip md5sum curl convert xdotool makensis openbox; do
  if ! command -v "$tool" >/dev/null; then
    echo "bench: '$tool' not found (make setup installs it)" >&2
    exit 1
  fi
done
build/native/bin/zip_md5_bench build/bench
build/native/bin/extraction_bench build/bench/extraction
build/native/bin/image_decode_bench samples/skin

source scripts/wine-env.sh
source scripts/http-test-server.sh
mkdir -p build/bench
# start_wine's steps may report failure when a server of this prefix is already up.
start_wine || true
trap 'stop_http_server; stop_wine' EXIT
start_http_server build/bench/http-server.log
url="http://127.0.0.1:$TEST_HTTP_PORT/body/52428800"
# Wine hands the program's output on with CR LF line ends.
read -r download size < <(timeout 300 "$WINE" build/windows/bin/download_bench.exe "$url" |
  tr -d '\r')
if [ "$size" != 52428800 ]; then
  echo "bench: Download received $size bytes instead of 52428800" >&2
  exit 1
fi
best=""
for _ in 1 2 3; do
  took=$(curl --noproxy '*' -s -o /dev/null -w '%{time_total}' "$url")
  best=$(awk -v a="$took" -v b="$best" 'BEGIN { t = a * 1000; print (b == "" || t < b) ? t : b }')
done
printf '%-44s %9.1f ms\n' "CInternet::Download, 50 MB, under Wine" "$download"
printf '%-44s %9.1f ms\n' "curl, 50 MB, same URL" "$best"
ratio=$(awk -v a="$download" -v b="$best" 'BEGIN { print a / b }')
printf '%-44s %9.2f\n' "ratio (ours / tool)" "$ratio"

echo "== the install window's elements under Wine"
# compose_bench writes convert's arguments for the same images at the same places.
read -r compose first elements images < <("$WINE" build/windows/bin/compose_bench.exe \
  samples/skin build/bench/compose_magick.txt | tr -d '\r')
mapfile -t magick < build/bench/compose_magick.txt
best=""
for _ in 1 2 3; do
  start=$(date +%s%N)
  convert "${magick[@]}"
  end=$(date +%s%N)
  best=$(awk -v a="$(((end - start) / 1000))" -v b="$best" \
    'BEGIN { t = a / 1000; print (b == "" || t < b) ? t : b }')
done
printf '%-48s %9.2f ms\n' "recompose 600 x 400, $elements elements" "$compose"
printf '%-48s %9.1f ms\n' "read $images skin images, compose the first frame" "$first"
printf '%-48s %9.1f ms\n' "convert: read and compose the same images" "$best"

echo "== the install window's first frame under Wine"
FRAME=build/bench/first-frame
rm -rf "$FRAME"
mkdir -p "$FRAME"
cp -r samples/client "$FRAME/client"
cp build/windows/bin/sample_client.exe "$FRAME/client/client.exe"
cp build/windows/bin/plain_window.exe "$FRAME/"
# An app of its own, never installed: no version question comes before the window.
sed 's/^app=.*/app=firstframe;/' samples/config.txt >"$FRAME/config.txt"
(cd "$FRAME" && "$WINE" "$PWD/../../../build/windows/bin/setupkit.exe" build --config config.txt \
  --client client --skin ../../../samples/skin --theme ../../../samples/theme.txt -o setup.exe \
  >/dev/null)
/usr/bin/python3 tests/bench/first_frame_bench.py "$FRAME/setup.exe" "$FRAME/plain_window.exe"

# The archive-mode install beside NSIS and unzip: the 2,000-file client, the client file alone
# (what the installer itself takes), and with BENCH_LARGE=1 (BENCH_LARGE=1 make bench) a client
# of about 1 GB, whose first run generates and packs it: minutes.
peers() {
  /usr/bin/python3 tests/bench/install_peers.py "$WINE" build/windows/bin "build/bench/$1" "$2" "$3"
}
peers install small "${BENCH_ROUNDS:-5}"
"$WINE" build/windows/bin/install_bench.exe pauses | tr -d '\r'
peers install-tiny tiny 3
if [ "${BENCH_LARGE:-0}" = 1 ]; then
  peers install-large large 3
fi
