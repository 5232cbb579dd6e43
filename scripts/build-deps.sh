#!/usr/bin/env bash
# Cross-builds the Windows (x86_64 mingw-w64) static dependencies into build/deps/mingw:
# minizip, libpng, libjpeg-turbo, libsodium and libzstd from Debian bookworm's source packages (same
# versions as the native -dev packages, so both builds use the same code), plus
# GoogleTest/GoogleMock from /usr/src/googletest.
# Also builds a native static minizip into build/deps/native from the same source: Debian's
# own libminizip cannot read or write encrypted entries (see build_native_minizip).
set -euo pipefail
cd "$(dirname "$0")/.."

HOST=x86_64-w64-mingw32
CC=$HOST-gcc-posix
CXX=$HOST-g++-posix
SYSROOT=/usr/$HOST
DEPS=$PWD/build/deps
PREFIX=$DEPS/mingw
STAMP=$PREFIX/.complete
RECIPE=2 # bump whenever the build steps change, to force a rebuild
NATIVE_PREFIX=$DEPS/native
NATIVE_STAMP=$NATIVE_PREFIX/.complete
NATIVE_RECIPE=2 # the same, for the native minizip

die() { echo "build-deps: $*" >&2; exit 1; }
note() { echo "build-deps: $*"; }

for tool in "$CC" "$CXX" "$HOST-ar" apt-get apt-cache dpkg-source cmake make autoreconf libtoolize; do
  command -v "$tool" >/dev/null || die "'$tool' not found; install g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev cmake autoconf automake libtool"
done
[ -f "$SYSROOT/lib/libz.a" ] || die "mingw zlib missing; install libz-mingw-w64-dev"
[ -f /usr/src/googletest/CMakeLists.txt ] || die "/usr/src/googletest missing; install googletest"

# Version of an installed binary package, empty when it is not installed.
installed_version() {
  local s
  s=$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$1" 2>/dev/null) || true
  if [ "${s%% *}" = installed ]; then echo "${s#* }"; fi
}

WANT="minizip=$(installed_version libminizip-dev) libpng1.6=$(installed_version libpng-dev)"
WANT+=" libjpeg-turbo=$(installed_version libjpeg62-turbo-dev) googletest=$(installed_version googletest)"
WANT+=" libsodium=$(installed_version libsodium-dev) libzstd=$(installed_version libzstd-dev)"
WANT+=" recipe=$RECIPE"

# Long tool output goes to per-step logs in LOG_DIR; the tail is shown only on failure.
LOG_DIR=$DEPS/work
run() {
  local log=$LOG_DIR/$1.log
  shift
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    die "failed: $* (log: $log)"
  fi
}

# A private apt configuration, so /etc/apt and the system's package lists stay untouched.
APT_DIR=$DEPS/apt
APT_OPTS=(-o "Dir::Etc::SourceList=$APT_DIR/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$APT_DIR/lists" -o "Dir::Cache=$APT_DIR/cache"
  -o APT::Sandbox::User=root)

apt_setup() {
  mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial"
  cat >"$APT_DIR/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
  run apt apt-get "${APT_OPTS[@]}" update
  touch "$APT_DIR/lists/.updated"
}

# download_source PKG VERSION: downloads a source package into build/deps/src (unless it is
# there already), setting DSC and GOT. Falls back to the newest available version when VERSION
# cannot be had (e.g. the installed one was superseded and dropped from the archive).
download_source() {
  local pkg=$1 want=$2 v newest
  GOT=""
  if [ -n "$want" ] && [ -f "$DEPS/src/${pkg}_${want#*:}.dsc" ]; then
    GOT=$want
  else
    [ -f "$APT_DIR/lists/.updated" ] || apt_setup
    newest=$(apt-cache "${APT_OPTS[@]}" madison "$pkg" | awk -F'|' '$3 ~ /Sources$/ {gsub(/ /, "", $2); print $2}' | sort -Vru)
    for v in $want $newest; do
      if (cd "$DEPS/src" && apt-get "${APT_OPTS[@]}" source --download-only "$pkg=$v") >>"$LOG_DIR/apt.log" 2>&1; then
        GOT=$v
        break
      fi
    done
  fi
  [ -n "$GOT" ] || die "no source for $pkg in bookworm (see $LOG_DIR/apt.log)"
  [ "$GOT" = "$want" ] || note "notice: $pkg ${want:-(not installed)} not available as source; building $GOT"
  DSC=$DEPS/src/${pkg}_${GOT#*:}.dsc
}

# fetch_source PKG VERSION: downloads and unpacks a source package into build/deps/src,
# setting SRC.
BUILT=""
fetch_source() {
  download_source "$1" "$2"
  SRC=$DEPS/src/$1-${GOT#*:}
  rm -rf "$SRC"
  run "$1" dpkg-source -x "$DSC" "$SRC"
  BUILT+="${BUILT:+ }$1=$GOT"
}

write_toolchain() {
  cat >"$DEPS/work/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $CC)
set(CMAKE_CXX_COMPILER $CXX)
set(CMAKE_RC_COMPILER $HOST-windres)
set(CMAKE_FIND_ROOT_PATH $SYSROOT $PREFIX)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# cmake_build NAME SRCDIR [CMAKE ARGS...]: configure, build and install one project.
cmake_build() {
  local name=$1 src=$2 bld=$DEPS/work/$1
  shift 2
  # No CMAKE_INSTALL_LIBDIR on the command line: libjpeg-turbo would resolve a relative
  # value against the current directory; every project defaults to "lib" here anyway.
  rm -rf "$bld"
  run "$name" cmake -S "$src" -B "$bld" -DCMAKE_TOOLCHAIN_FILE="$DEPS/work/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@"
  run "$name" cmake --build "$bld" --parallel 2
  run "$name" cmake --install "$bld"
}

# Only the reader, the writer and the stdio I/O layer are needed. mingw-w64 has
# fopen64/ftello64/fseeko64, so the 64-bit file functions work without USE_FILE32API.
build_minizip() {
  fetch_source minizip "$1"
  local bld=$DEPS/work/minizip f
  rm -rf "$bld"
  mkdir -p "$bld" "$PREFIX/include/minizip" "$PREFIX/lib"
  # This minizip release hard-codes NOUNCRYPT in unzip.c, which would make reading
  # password-protected entries fail; drop that one line in a build copy.
  sed '/^[[:space:]]*#define NOUNCRYPT/d' "$SRC/unzip.c" >"$bld/unzip.c"
  for f in "$SRC/ioapi.c" "$SRC/zip.c" "$bld/unzip.c"; do
    run minizip "$CC" -O2 -Wall -I"$SRC" -c "$f" -o "$bld/$(basename "${f%.c}").o"
  done
  run minizip "$HOST-ar" rcs "$PREFIX/lib/libminizip.a" "$bld"/*.o
  install -m 644 "$SRC"/{ioapi,unzip,zip,crypt}.h "$PREFIX/include/minizip/"
}

build_libpng() {
  fetch_source libpng1.6 "$1"
  cmake_build libpng "$SRC" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_INCLUDE_DIR="$SYSROOT/include" -DZLIB_LIBRARY="$SYSROOT/lib/libz.a"
  [ -e "$PREFIX/lib/libpng.a" ] || ln -s libpng16.a "$PREFIX/lib/libpng.a"
}

# SIMD off so nasm is not needed; otherwise upstream/Debian defaults (libjpeg 6.2 API).
build_libjpeg() {
  fetch_source libjpeg-turbo "$1"
  cmake_build libjpeg-turbo "$SRC" -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
}

# Debian's source is the project's tree without a generated configure: made with autoreconf, as
# Debian's own build does. Static only. Without the stack protector: mingw-w64's runtime here has no __stack_chk_fail,
# and its libssp would add a DLL. Users of the headers define SODIUM_STATIC, or every function
# would be declared as imported from a DLL.
build_libsodium() {
  fetch_source libsodium "$1"
  local bld=$DEPS/work/libsodium
  rm -rf "$bld"
  mkdir -p "$bld"
  run libsodium autoreconf -fi "$SRC"
  run libsodium sh -c "cd '$bld' && '$SRC/configure' --host=$HOST --prefix='$PREFIX' \
    --disable-shared --enable-static --disable-ssp CC=$CC CFLAGS=-O2"
  run libsodium make -C "$bld" -j2
  run libsodium make -C "$bld" install
}

# Only the static library, from the project's own CMake build. Single-threaded: the patches are
# made and applied one file at a time, and the multithreaded build would pull in pthreads for
# nothing. No legacy formats: only frames this project wrote are ever read.
build_libzstd() {
  fetch_source libzstd "$1"
  cmake_build libzstd "$SRC/build/cmake" -DZSTD_BUILD_STATIC=ON -DZSTD_BUILD_SHARED=OFF \
    -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_TESTS=OFF -DZSTD_BUILD_CONTRIB=OFF \
    -DZSTD_MULTITHREAD_SUPPORT=OFF -DZSTD_LEGACY_SUPPORT=OFF
}

build_googletest() {
  cmake_build googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
    -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
  BUILT+=" googletest=$1"
}

# Debian's own libminizip is built with NOUNCRYPT (reading an encrypted entry fails), and its
# encryption code reads zlib's CRC table through unsigned long pointers, which on 64-bit Linux
# step 8 bytes through a table of 4-byte words, so it encrypts wrongly. Its reader also looks
# for an entry's zip64 sizes only when the 32-bit field holds (unsigned long)-1, which on 64-bit
# Linux is 64 bits of ones that no 32-bit field holds, so entries of 4 GB or more read with the
# wrong size. Build the same source with all three fixed (as Windows, where unsigned long has 32
# bits, reads it), as a static library the native build links instead (-fPIC, so it also links
# into position-independent executables).
build_native_minizip() {
  local version want work=$DEPS/native-work f
  version=$(installed_version libminizip-dev)
  want="minizip=$version recipe=$NATIVE_RECIPE"
  if [ -f "$NATIVE_STAMP" ] && [ "$(head -n1 "$NATIVE_STAMP")" = "$want" ]; then
    note "up to date: native $(sed -n 2p "$NATIVE_STAMP")"
    return
  fi
  note "building the native minizip into ${NATIVE_PREFIX#"$PWD"/}"
  rm -rf "$NATIVE_PREFIX" "$work"
  mkdir -p "$DEPS/src" "$work" "$NATIVE_PREFIX/include/minizip" "$NATIVE_PREFIX/lib"
  LOG_DIR=$work
  download_source minizip "$version"
  run minizip dpkg-source -x "$DSC" "$work/src"
  sed -i '/^[[:space:]]*#define NOUNCRYPT/d' "$work/src/unzip.c"
  sed -i 's/const unsigned long\* *pcrc_32_tab/const z_crc_t* pcrc_32_tab/g' \
    "$work/src/crypt.h" "$work/src/unzip.c" "$work/src/zip.c"
  sed -i 's/(ZPOS64_T)(unsigned long)-1/(ZPOS64_T)0xFFFFFFFFu/g' "$work/src/unzip.c"
  ! grep -q '#define NOUNCRYPT' "$work/src/unzip.c" || die "minizip: NOUNCRYPT is still defined"
  ! grep -q '(ZPOS64_T)(unsigned long)-1' "$work/src/unzip.c" ||
    die "minizip: the zip64 size marker was not fixed"
  ! grep -q 'unsigned long\* *pcrc_32_tab' "$work/src"/{crypt.h,unzip.c,zip.c} ||
    die "minizip: the CRC table pointer was not fixed"
  for f in ioapi zip unzip; do
    run minizip gcc -O2 -fPIC -Wall -I"$work/src" -c "$work/src/$f.c" -o "$work/$f.o"
  done
  run minizip ar rcs "$NATIVE_PREFIX/lib/libminizip.a" "$work"/{ioapi,zip,unzip}.o
  install -m 644 "$work/src"/{ioapi,unzip,zip}.h "$NATIVE_PREFIX/include/minizip/"
  printf '%s\nbuilt: minizip=%s\n' "$want" "$GOT" >"$NATIVE_STAMP"
  LOG_DIR=$DEPS/work
}

build_mingw() {
  local mz png jpeg gt sodium zstd
  if [ -f "$STAMP" ] && [ "$(head -n1 "$STAMP")" = "$WANT" ]; then
    note "up to date: $(sed -n 2p "$STAMP")"
    return
  fi
  read -r mz png jpeg gt sodium zstd _ <<<"$WANT"
  rm -rf "$PREFIX" "$DEPS/work"
  mkdir -p "$DEPS/src" "$DEPS/work" "$PREFIX"
  note "building mingw dependencies into ${PREFIX#"$PWD"/} (logs in ${DEPS#"$PWD"/}/work)"
  apt_setup
  write_toolchain
  build_minizip "${mz#*=}"
  build_libpng "${png#*=}"
  build_libjpeg "${jpeg#*=}"
  build_googletest "${gt#*=}"
  build_libsodium "${sodium#*=}"
  build_libzstd "${zstd#*=}"
  printf '%s\nbuilt: %s\n' "$WANT" "$BUILT" >"$STAMP"
  note "done: $BUILT"
}

build_mingw
build_native_minizip
