#!/usr/bin/env bash
# Installs what is missing, builds everything (native, 32-bit and 64-bit
# Windows), prints the benchmarks, then runs every test: native unit tests,
# binary checks, Win32 tests and end-to-end scenarios under Wine. The test
# runner's summary comes last.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QV_BUILD_DIR:-$root/build}

"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build"

echo
echo "== Benchmarks (printed, not asserted)"
bench=0
"$build/qv_bench" --benchmark_min_time=0.3 --benchmark_color=false || bench=1
QV_BIN_DIR="$build/windows-x86_64" \
  "$root/tools/wine-test.sh" "$build/wine" "$build/windows-x86_64/qv_hook_latency.exe" 200 || bench=1
QV_BIN_DIR="$build/windows-x86_64" \
  "$root/tools/wine-test.sh" "$build/wine" "$build/windows-x86_64/qv_popup_bench.exe" || bench=1
QV_BIN_DIR="$build/windows-x86_64" \
  "$root/tools/wine-test.sh" "$build/wine" "$build/windows-x86_64/qv_load_groups_bench.exe" || bench=1
QV_BIN_DIR="$build/windows-x86_64" QV_OTHER_BIN_DIR="$build/windows-i686" \
  "$root/tools/wine-test.sh" "$build/wine" "$build/windows-x86_64/qv_edge_watch_bench.exe" || bench=1
QV_BIN_DIR="$build/windows-x86_64" \
  "$root/tools/wine-test.sh" "$build/wine" "$build/windows-x86_64/qv_find_bench.exe" || bench=1
# Minutes, with a build that loads every icon before it is ready
# (QV_BEFORE_BIN names another build's folder to compare with).
QV_BIN_DIR="$build/windows-x86_64" QV_TEST_TIMEOUT=1800 \
  "$root/tools/wine-test.sh" "$build/wine" "$build/windows-x86_64/qv_startup_bench.exe" || bench=1

echo
echo "== Tests"
status=0
ctest --test-dir "$build" --output-on-failure || status=$?
if ((status == 0 && bench != 0)); then status=1; fi
exit "$status"
