#!/usr/bin/env bash
# Speed figures, each beside a standard tool timed in the same run (best of three): reading a
# 20 MB archive of 2,000 files entry by entry and MD5 of a 100 MB file (native build); then,
# under Wine, the archive-mode install of the same kind of client by the install flow, beside
# unzip extracting the very archive it installs from. The data is generated under build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in unzip md5sum; do
  if ! command -v "$tool" >/dev/null; then
    echo "bench: '$tool' not found (make setup installs it)" >&2
    exit 1
  fi
done
build/native/bin/zip_md5_bench build/bench

source scripts/wine-env.sh
start_wine
DATA=build/bench/install
echo "== the install under Wine"
"$WINE" build/windows/bin/install_bench.exe "$DATA"
source "$DATA/install.env"

# Milliseconds of one extraction of the client archive into a fresh folder.
unzip_once() {
  rm -rf "$DATA/unzipped"
  local start end
  start=$(date +%s%N)
  unzip -qq -P "$ARCHIVE_PASSWORD" "$DATA/app.zip" -d "$DATA/unzipped"
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}
best=""
for _ in 1 2 3; do
  us=$(unzip_once)
  if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
done
awk -v ours="$INSTALL_MS" -v us="$best" 'BEGIN {
  theirs = us / 1000
  printf "%-48s %9.1f ms\n", "unzip into a folder, the same archive", theirs
  printf "%-48s %9.2f\n", "ratio (install / unzip)", ours / theirs
}'
