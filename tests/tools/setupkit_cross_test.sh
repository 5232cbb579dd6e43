#!/usr/bin/env bash
# The native and the windows setupkit must make byte-identical containers and unpack each
# other's, and both must refuse a damaged container without creating the output.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/wine-env.sh
NATIVE=$PWD/build/native/bin/setupkit
WINDOWS=$PWD/build/windows/bin/setupkit.exe

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
native() { "$NATIVE" "$@" 2>>native.err; }
windows() { "$WINE" "$WINDOWS" "$@" 2>>windows.err; }

printf 'x' >one.bin
printf 'abc' >three.bin
printf 'name=client;\r\nversion=1.0;\r\n' >config.txt
head -c 300000 /dev/urandom >random.bin

for input in one.bin three.bin config.txt random.bin; do
  native pack "$input" "$input.n"
  windows pack "$input" "$input.w"
  check "$input packs identically" cmp -s "$input.n" "$input.w"
  native unpack "$input.w" "$input.wn"
  windows unpack "$input.n" "$input.nw"
  check "native unpacks the windows container of $input" cmp -s "$input" "$input.wn"
  check "windows unpacks the native container of $input" cmp -s "$input" "$input.nw"
done

printf '\xff\xfd\xfd\xff\x00\x00\x00\x00\x00\x00' >header-only.bin
printf '\xff\xfd\xfd\xff\x40\x00\x00\x00\x12\x34xyz' >runs-past.bin
for damaged in header-only.bin runs-past.bin; do
  native unpack "$damaged" n.out
  check "native refuses $damaged" test $? -eq 1 -a ! -e n.out
  windows unpack "$damaged" w.out
  check "windows refuses $damaged" test $? -eq 1 -a ! -e w.out
done

native pack only-one-argument
check "native usage error exits 2" test $? -eq 2
windows pack only-one-argument
check "windows usage error exits 2" test $? -eq 2

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
