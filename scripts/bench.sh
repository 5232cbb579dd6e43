#!/usr/bin/env bash
# Speed figures, each beside a standard tool timed in the same run (best of three): reading a
# 20 MB archive of 2,000 files entry by entry, MD5 of a 100 MB file and the update list of a
# 2,000-file folder (native build, data generated under build/bench), decoding every image of the
# sample skin, and decoding and scaling it to 150 % and 200 % (each beside ImageMagick's convert);
# then, under Wine, Download of a 20 MB document into memory and CFileDownload of a 50 MB file
# into a staging file, with and without its MD5 check (and its peak memory), from the tests' HTTP
# server on 127.0.0.1 beside curl fetching the same URLs, one full recomposition of the install
# window's elements over a 600 x 400 frame from the sample skin (beside convert reading and
# composing the same images at the same places), and the time from starting setup.exe to its
# window's first frame on the screen beside a plain Win32 window started the same way; and the
# archive-mode install of generated clients by install_headless.exe and by setup.exe silent
# through its window, beside an NSIS installer doing the same work and unzip extracting the very
# archive they install from, interleaved, with a window manager (tests/bench/install_peers.py);
# with BENCH_LARGE=1 also the native setupkit build of the 1 GB client, its time and peak memory,
# and with BENCH_HUGE=1 a client of 20 GB packed, installed from the data beside setup.exe and in
# download mode from nginx, and uninstalled.
set -euo pipefail
cd "$(dirname "$0")/.."
# The window figures need a display: a virtual one unless there is a real one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" scripts/bench.sh "$@"
fi
for tool in unzip md5sum curl convert xdotool makensis openbox /usr/bin/time; do
  if ! command -v "$tool" >/dev/null; then
    echo "bench: '$tool' not found (make setup installs it)" >&2
    exit 1
  fi
done
build/native/bin/zip_md5_bench build/bench
build/native/bin/extraction_bench build/bench/extraction
build/native/bin/image_decode_bench samples/skin
build/native/bin/image_scale_bench samples/skin

source scripts/wine-env.sh
source scripts/http-test-server.sh
mkdir -p build/bench
# start_wine's steps may report failure when a server of this prefix is already up.
start_wine || true
trap 'stop_http_server; stop_wine' EXIT
start_http_server build/bench/http-server.log
# Milliseconds of the fastest of three curl fetches of $1 into $2 (a file, or /dev/null).
curl_best() {
  local best="" took
  for _ in 1 2 3; do
    took=$(curl --noproxy '*' -s -o "$2" -w '%{time_total}' "$1")
    best=$(awk -v a="$took" -v b="$best" 'BEGIN { t = a * 1000; print (b == "" || t < b) ? t : b }')
  done
  echo "$best"
}
# "MS BYTES PEAK" of download_bench; Wine hands the program's output on with CR LF line ends.
download_bench() {
  timeout 300 "$WINE" build/windows/bin/download_bench.exe "$@" | tr -d '\r'
}
bench_row() {
  printf '%-52s %9.1f ms\n' "$1" "$2"
}
document_url="http://127.0.0.1:$TEST_HTTP_PORT/body/20971520"
file_url="http://127.0.0.1:$TEST_HTTP_PORT/body/52428800"
file_md5=$(curl --noproxy '*' -s "$file_url" | md5sum | cut -d' ' -f1)
staging="Z:$PWD/build/bench/download.bin.download~"
read -r document document_size _ < <(download_bench document "$document_url")
read -r file file_size file_peak < <(download_bench file "$file_url" "$staging" 52428800)
read -r verified verified_size verified_peak < <(download_bench file "$file_url" "$staging" \
  52428800 "$file_md5")
if [ "$document_size" != 20971520 ] || [ "$file_size" != 52428800 ] ||
  [ "$verified_size" != 52428800 ]; then
  echo "bench: the downloads received $document_size, $file_size and $verified_size bytes" >&2
  exit 1
fi
rm -f "build/bench/download.bin.download~"
curl_memory=$(curl_best "$document_url" /dev/null)
curl_file=$(curl_best "$file_url" build/bench/download-curl.bin)
rm -f build/bench/download-curl.bin
echo "== downloads from 127.0.0.1 under Wine"
bench_row "CInternet::Download, 20 MB document into memory" "$document"
bench_row "curl, the same URL" "$curl_memory"
bench_row "CFileDownload, 50 MB into a staging file" "$file"
bench_row "CFileDownload, 50 MB, and its MD5 checked" "$verified"
bench_row "curl, the same URL into a file" "$curl_file"
awk -v d="$document" -v c="$curl_memory" -v f="$file" -v v="$verified" -v cf="$curl_file" \
  -v p="$file_peak" -v pv="$verified_peak" 'BEGIN {
  printf "%-52s %9.2f\n", "ratio, document (ours / curl)", d / c
  printf "%-52s %9.2f\n", "ratio, file (ours / curl)", f / cf
  printf "%-52s %9.2f\n", "ratio, file checked (ours / curl)", v / cf
  printf "%-52s %9.1f MB\n", "  peak memory of the file download (working set)", p / 1048576
  printf "%-52s %9.1f MB\n", "  the same, checked", pv / 1048576
}'

# The published list of a client of 3000 files, signed, served as a vendor publishes it: fetched
# as the installer and the updater fetch it, without a key and with one (the signature fetched
# too and checked), beside curl fetching the list, and the list and its signature.
list_folder=build/bench/signed-list
rm -rf "$list_folder" && mkdir -p "$list_folder/client"
for i in $(seq -w 1 3000); do printf 'file %s\n' "$i" >"$list_folder/client/f$i.txt"; done
build/native/bin/setupkit keygen "$list_folder/vendor.key" "$list_folder/vendor.pub" >/dev/null
build/native/bin/setupkit list "$list_folder/client" "http://127.0.0.1/app" \
  "$list_folder/update.xml" --version 1.0.0.0 --sign-key "$list_folder/vendor.key" 2>/dev/null
list_url="http://127.0.0.1:$TEST_HTTP_PORT/file/bench/update.xml"
for name in update.xml update.xml.sig; do
  curl --noproxy '*' -s -o /dev/null --data-binary "@$list_folder/$name" \
    "http://127.0.0.1:$TEST_HTTP_PORT/keep/bench/$name"
done
read -r list_plain list_items _ < <(download_bench list "$list_url")
read -r list_signed list_signed_items _ < <(download_bench list "$list_url" \
  "Z:$PWD/$list_folder/vendor.pub")
if [ "$list_items" != 3000 ] || [ "$list_signed_items" != 3000 ]; then
  echo "bench: the list fetches took $list_items and $list_signed_items items" >&2
  exit 1
fi
curl_list=$(curl_best "$list_url" /dev/null)
curl_signature=$(curl_best "$list_url.sig" /dev/null)
echo "== the published list ($(stat -c %s "$list_folder/update.xml") bytes, 3000 items) from 127.0.0.1 under Wine"
bench_row "FetchPublishedListAt, no key" "$list_plain"
bench_row "FetchPublishedListAt, its signature fetched, checked" "$list_signed"
bench_row "curl, the list" "$curl_list"
awk -v p="$list_plain" -v s="$list_signed" -v c="$curl_list" -v cs="$curl_signature" 'BEGIN {
  printf "%-52s %9.1f ms\n", "curl, the list and then its signature", c + cs
  printf "%-52s %9.2f\n", "ratio, no key (ours / curl, the list)", p / c
  printf "%-52s %9.2f\n", "ratio, checked (ours / curl, list and signature)", s / (c + cs)
}'
rm -rf "$list_folder"

# Download mode over a distant network: the 500 small files of a generated client, every request
# answered 25 ms late by the tests' server, followed as the installer and the updater follow a list
# (the list fetched, each file downloaded, checked and staged, then all put in place under the
# journal) beside curl fetching the same URLs one after another and 8 at once.
fetch_folder=build/bench/download-mode
rm -rf "$fetch_folder" && mkdir -p "$fetch_folder/client"
python3 - "$fetch_folder/client" <<'PY'
import os, sys
for i in range(1, 501):
    folder = os.path.join(sys.argv[1], "d%d" % (i % 5))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%03d.bin" % i), "wb") as out:
        out.write((b"file %03d " % i) * (100 + i * 3))
PY
fetch_base="http://127.0.0.1:$TEST_HTTP_PORT"
build/native/bin/setupkit list "$fetch_folder/client" "$fetch_base/file/fetch" \
  "$fetch_folder/update.xml" --version 1.0.0.0 2>/dev/null
(cd "$fetch_folder/client" && find . -type f | sed 's|^\./||' | sort) >"$fetch_folder/names"
while read -r name; do
  printf 'url = "%s/keep/fetch/%s"\ndata-binary = "@%s"\noutput = "/dev/null"\nnext\n' \
    "$fetch_base" "$name" "$fetch_folder/client/$name"
done <"$fetch_folder/names" | sed '$d' >"$fetch_folder/keep.cfg"
curl --noproxy '*' -s -K "$fetch_folder/keep.cfg"
curl --noproxy '*' -s -o /dev/null --data-binary "@$fetch_folder/update.xml" \
  "$fetch_base/keep/fetch-list/update.xml"
sed "s|.*|url = \"$fetch_base/file/fetch/&\"\noutput = \"/dev/null\"|" "$fetch_folder/names" \
  >"$fetch_folder/fetch.cfg"
# Milliseconds of one run of curl with the arguments given.
curl_ms() {
  local start end
  start=$(date +%s%N)
  curl --noproxy '*' -s "$@" 2>/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
curl --noproxy '*' -s -o /dev/null "$fetch_base/delay/25"
# The folder as Windows names it, with its separators.
installed="Z:$PWD/$fetch_folder/installed/"
installed=${installed//\//\\}
read -r fetch_ours fetch_files _ < <(download_bench install "$fetch_base/file/fetch-list/update.xml" \
  "$installed")
fetch_curl=$(curl_ms -K "$fetch_folder/fetch.cfg")
fetch_parallel=""
for _ in 1 2 3; do
  # Without --parallel-immediate curl waits on each connection to see whether the next transfer
  # could share it, which a server that closes every connection never allows: one at a time.
  took=$(curl_ms --parallel --parallel-immediate --parallel-max 8 -K "$fetch_folder/fetch.cfg")
  fetch_parallel=$(awk -v a="$took" -v b="$fetch_parallel" 'BEGIN { print (b == "" || a < b) ? a : b }')
done
curl --noproxy '*' -s -o /dev/null "$fetch_base/delay/0"
if [ "$fetch_files" != 500 ]; then
  echo "bench: download mode installed $fetch_files of the 500 files" >&2
  exit 1
fi
echo "== download mode, 500 small files, 25 ms added to each request, from 127.0.0.1 under Wine"
bench_row "download mode ($fetch_files files, list and journal included)" "$fetch_ours"
bench_row "curl, the same files one after another" "$fetch_curl"
bench_row "curl --parallel, 8 connections, the same files" "$fetch_parallel"
awk -v o="$fetch_ours" -v p="$fetch_parallel" 'BEGIN {
  printf "%-52s %9.2f\n", "ratio, download mode (ours / curl --parallel)", o / p
}'
rm -rf "$fetch_folder"

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
rm -rf build/bench/journal
"$WINE" build/windows/bin/install_bench.exe journal build/bench/journal | tr -d '\r'
peers install-tiny tiny 3
if [ "${BENCH_HUGE:-0}" = 1 ]; then
  # BENCH_HUGE_GB gigabytes (20 by default): it needs three times that free on the disk, and hours.
  source scripts/static-server.sh
  mkdir -p build/bench/install-huge/site
  start_static_server build/bench/install-huge/site build/bench/static-server
  peers install-huge huge 1
  stop_static_server
fi
if [ "${BENCH_LARGE:-0}" = 1 ]; then
  peers install-large large 3
  # setupkit build of that client by the native build, as a vendor's build server runs it: its time
  # and peak memory (the maximum resident set).
  large=build/bench/install-large
  rm -f "$large/setupkit-bench.exe"
  /usr/bin/time -f '%e %M' -o "$large/setupkit.time" build/native/bin/setupkit build \
    --config "$large/config.txt" --client "$large/client" --stub build/windows/bin/setup.exe \
    -o "$large/setupkit-bench.exe" 2>/dev/null
  read -r seconds kilobytes <"$large/setupkit.time"
  rm -f "$large/setupkit-bench.exe"
  echo "== setupkit build of the large client, native"
  printf '%-52s %9.1f s\n' "to its end" "$seconds"
  printf '%-52s %9.1f MB\n' "peak memory (maximum resident set)" "$((kilobytes / 1024))"
fi

# Delta updates (tests/bench/delta_bench.py): v1 of the windows build's programs, the cross-built
# libraries and a generated client with a file of 400 MB; v2 with update.exe and setup.exe rebuilt
# after a one-line change, 5 % of the generated files changed slightly and 1 MB changed in the
# middle of the large file. update.exe silent updates an installed v1 from the tests' server with
# whole files and with patches; the bench fails unless both leave v2 byte for byte. It needs about
# 2 GB of disk and 1.5 GB of memory for the server, and takes about a minute and a half.
/usr/bin/python3 tests/bench/delta_bench.py "$WINE" build/windows build/native/bin/setupkit \
  build/bench/delta
