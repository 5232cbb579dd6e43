#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for a fixed time each (FUZZ_SECONDS, 30 by default),
# starting from its committed corpus (tests/fuzz/corpus/NAME) and regression inputs
# (tests/fuzz/corpus/regression/NAME). New inputs go to build/fuzz/corpus/NAME and findings to
# build/fuzz/findings/NAME/, never into the tree. Exits non-zero when any target found something.
set -uo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH=${FUZZ_SECONDS:-30}
BUILD=build/fuzz
COMMITTED=tests/fuzz/corpus
failures=()

for program in "$BUILD"/bin/fuzz_*; do
  name=${program##*/fuzz_}
  [ -d "$COMMITTED/$name" ] || { echo "fuzz: $COMMITTED/$name is missing" >&2; failures+=("$name"); continue; }
  mkdir -p "$BUILD/corpus/$name" "$BUILD/findings/$name"
  inputs=("$BUILD/corpus/$name" "$COMMITTED/$name")
  [ -d "$COMMITTED/regression/$name" ] && inputs+=("$COMMITTED/regression/$name")
  echo "== $name (${SECONDS_EACH} s)"
  log="$BUILD/findings/$name/log.txt"
  "$program" -max_total_time="$SECONDS_EACH" -print_final_stats=1 -rss_limit_mb=2048 -malloc_limit_mb=256 \
    -artifact_prefix="$BUILD/findings/$name/" "${inputs[@]}" >"$log" 2>&1
  status=$?
  awk '/^stat::number_of_executed_units/ {runs=$NF} /^stat::average_exec_per_sec/ {rate=$NF}
               /^stat::new_units_added/ {added=$NF}
               END {if (runs != "") printf "%s runs, %s per second, %s new inputs\n", runs, rate, added}' "$log"
  if [ $status -ne 0 ]; then
    failures+=("$name")
    grep -E 'ERROR|fuzz check failed|Test unit written' "$log" | head -n 5
  fi
done

echo
if [ ${#failures[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failures[*]} (see $BUILD/findings/)"
  exit 1
fi
echo "fuzz: no findings"
