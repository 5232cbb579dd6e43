#!/usr/bin/env bash
# Installs what both builds and their tests need, then cross-builds the Windows dependencies.
# Quick when everything is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build python3 dpkg-dev autoconf automake libtool
  clang libclang-rt-14-dev
  zlib1g-dev libminizip-dev libpng-dev libjpeg-dev libgtest-dev libgmock-dev googletest
  libsodium-dev libzstd-dev
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine64 xvfb xauth xdotool
  # Wine's TLS (only recommended by Wine) and the test server's certificates.
  libgnutls30 openssl
  unzip curl imagemagick nsis openbox time
  # The static web server vendors publish to, which the bench downloads a huge client from.
  nginx
  osslsigncode
  python3-pil python3-xlib fonts-wqy-microhei
)

missing=()
for package in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  [ "$(id -u)" = 0 ] || { echo "setup: run as root to install packages" >&2; exit 1; }
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

scripts/build-deps.sh
