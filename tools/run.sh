#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorvel in a 1024x768 Wine
# virtual desktop with a task bar. With a display it runs there until you
# exit it (tray icon or popup: Exit). Without one it runs on a private Xvfb:
# the pointer touches the top edge once, a screenshot is saved and its path
# printed, and Quorvel is exited the way a person would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QV_BUILD_DIR:-$root/build}

"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target windows_x86_64

source "$root/tools/wine-env.sh"
session=$build/run
qv_base_prefix "$session"
export HOME=$session/home WINEPREFIX=$session/prefix
program=$WINEPREFIX/drive_c/Quorvel
mkdir -p "$program"
cp "$build/windows-x86_64/QUORVEL.EXE" "$build/windows-x86_64/QVLHOOK.DLL" "$build/windows-x86_64/MANUAL.TXT" \
  "$program/"

trap 'qv_end_session' EXIT
if [[ -n ${DISPLAY:-} ]]; then
  echo "Quorvel is running in the Wine desktop window; exit it from its tray icon (or Ctrl+C here)."
  "$QV_WINE" 'C:\Quorvel\QUORVEL.EXE' || true
else
  qv_start_xvfb "$session"
  mkdir -p "$build/output"
  shot=$build/output/run-screenshot.png
  "$QV_WINE" 'C:\Quorvel\QUORVEL.EXE' &
  launcher=$!
  "$QV_WINE" "$build/windows-x86_64/qv_pilot.exe" "Z:${shot//\//\\}" | sed "s|Z:.*png|$shot|"
  wait "$launcher" || true
  [[ -s $shot ]] && echo "Screenshot saved: $shot"
fi
