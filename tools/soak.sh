#!/usr/bin/env bash
# Runs the Wine suites (the Win32 tests and every end-to-end suite) N times
# in a row on one build, to show that they pass on their own every time:
#   tools/soak.sh N
# Each run prints its result; the output of a failed run is kept under
# build/output/soak/. The last line is "N runs, K failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QV_BUILD_DIR:-$root/build}
runs=${1:-10}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: tools/soak.sh N" >&2; exit 2; }

"$root/tools/deps.sh" || exit 1
cmake -S "$root" -B "$build" -G Ninja >/dev/null || exit 1
cmake --build "$build" >/dev/null || { echo "the build failed" >&2; exit 1; }

logs=$build/output/soak
rm -rf "$logs"
mkdir -p "$logs"
failed=0
for ((run = 1; run <= runs; run++)); do
  log=$logs/run-$run.log
  start=$SECONDS
  if ctest --test-dir "$build" -L 'windows|e2e' --output-on-failure >"$log" 2>&1; then
    echo "run $run: passed ($((SECONDS - start)) s)"
    rm -f "$log"
  else
    failed=$((failed + 1))
    names=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$log" | tr '\n' ' ')
    echo "run $run: FAILED ${names}($((SECONDS - start)) s), see $log"
  fi
done
echo "$runs runs, $failed failed"
((failed == 0))
