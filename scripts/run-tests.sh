#!/usr/bin/env bash
# Runs every test of both builds: the native tests, the same tests under the sanitizers, the
# windows tests under Wine, and the checks that compare the two builds' tools. Prints each
# runner's summary and a total; exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
# The whole run shares one display, a virtual one unless there is a real one, so the tests can
# see and answer the programs' message boxes. Wine makes its desktop once, for the first program
# of the run, on the display that program has.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" scripts/run-tests.sh "$@"
fi
source scripts/wine-env.sh
source scripts/http-test-server.sh

passed=0
failed=0
failures=()
LOG_DIR=build/test-logs
mkdir -p "$LOG_DIR"

# Adds a runner's counts to the totals; a runner that reported nothing counts as one failure.
count() {
  local name=$1 status=$2 ok=$3 bad=$4
  if [ -z "$ok" ] && [ -z "$bad" ]; then bad=1; fi
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
  if [ "$status" != 0 ] || [ "${bad:-0}" != 0 ]; then failures+=("$name"); fi
}

run_ctest() {
  local name=$1 dir=$2 log=$LOG_DIR/$1.log
  echo "== $name"
  ctest --test-dir "$dir" --output-on-failure -j2 >"$log" 2>&1
  local status=$?
  grep -E 'tests passed|tests failed out of|\(Failed\)|Output from these tests' "$log" || tail -n 20 "$log"
  local line total bad
  line=$(grep -E 'tests failed out of' "$log" | tail -n1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*, ([0-9]+) tests failed.*/\1/' <<<"$line")
  [ -n "$line" ] || { total=""; bad=""; }
  count "$name" "$status" "$([ -n "$total" ] && echo $((total - bad)))" "$bad"
}

# run_gtest_under_wine NAME EXE [ARGUMENTS...]; with WINE_LOCALE set, Wine runs in that locale.
run_gtest_under_wine() {
  local name=$1 exe=$2 log=$LOG_DIR/$1.log
  shift 2
  echo "== $name"
  (cd "$(dirname "$exe")" &&
    env ${WINE_LOCALE:+LC_ALL="$WINE_LOCALE"} "$WINE" "$(basename "$exe")" "$@") >"$log" 2>&1
  local status=$?
  grep -E '^\[  (PASSED|FAILED)  \]|^\[==========\]' "$log" || tail -n 30 "$log"
  local ok bad
  ok=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | sed -E 's/[^0-9]*([0-9]+).*/\1/')
  bad=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | sed -E 's/[^0-9]*([0-9]+).*/\1/')
  count "$name" "$status" "$ok" "$bad"
}

run_script() {
  local name=$1 log=$LOG_DIR/$1.log
  shift
  echo "== $name"
  "$@" >"$log" 2>&1
  local status=$?
  tail -n 5 "$log"
  local ok bad
  ok=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n1 | cut -d' ' -f1)
  bad=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n1 | cut -d' ' -f3)
  count "$name" "$status" "$ok" "$bad"
}

run_script layers /usr/bin/python3 scripts/check_layers.py
run_ctest native build/native
run_ctest sanitizers build/native-asan
start_wine
trap 'stop_http_server; stop_wine' EXIT
start_http_server "$LOG_DIR/http-server.log"
run_gtest_under_wine windows build/windows/bin/windows_tests.exe
# Zip entry names without the UTF-8 flag follow the OEM code page, which Wine takes from the
# locale, and the programs speak the UI language it gives: once more under a Chinese one (code
# page 936, and Chinese texts as the programs spoke before there were languages).
WINE_LOCALE=zh_CN.UTF-8 run_gtest_under_wine windows-chinese-locale \
  build/windows/bin/windows_tests.exe --gtest_filter='XZipNames.*:LanguageEndToEndTest.Stamped*'
# A skip there would mean Wine ignored the locale and the Chinese names went untested.
if grep -q '^\[  SKIPPED \]' "$LOG_DIR/windows-chinese-locale.log"; then
  count windows-chinese-locale 1 "" 1
fi
stop_http_server
run_script cross-build-tools tests/tools/setupkit_cross_test.sh
run_script default-skin /usr/bin/python3 tests/samples/skin_test.py
run_script setup-window /usr/bin/python3 tests/setup/setup_window_test.py

echo
[ ${#failures[@]} -eq 0 ] || echo "failing runners: ${failures[*]} (logs in $LOG_DIR)"
echo "Total: $passed passed, $failed failed"
[ ${#failures[@]} -eq 0 ]
