#!/usr/bin/env bash
# Installs what is missing, builds, and installs Quorvel the way a user
# does: QuorvelSetup.exe runs silently in a fresh Wine prefix with a 1024x768
# virtual desktop and a task bar, and the installed program starts for the
# first time, saying "Setup Complete!" and offering its documentation group.
# With a display it runs there until you exit it (tray icon or popup: Exit).
# Without one it runs on a private Xvfb: the message is answered, the popup
# is shown with the documentation group open, a screenshot is saved and its
# path printed, and Quorvel is exited the way a person would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QV_BUILD_DIR:-$root/build}

"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target QUORVEL_SETUP

source "$root/tools/wine-env.sh"
qv_base_prefix "$build/wine/base"
session=$build/run
rm -rf "$session"
mkdir -p "$session"
qv_clone_prefix "$build/wine/base" "$session"
export HOME=$session/home WINEPREFIX=$session/prefix
trap 'qv_end_session' EXIT
headless=0
if [[ -z ${DISPLAY:-} ]]; then
  headless=1
  qv_start_xvfb "$session"
fi

# The installer is a 32-bit program; on this 64-bit Windows it installs the
# 64-bit Quorvel. Where Wine runs no 32-bit programs, the same installer
# with a 64-bit stub does it.
why=$(qv_why_no_32bit "$build/wine")
if [[ -z $why ]]; then
  echo "Installing Quorvel with QuorvelSetup.exe /S..."
  "$QV_WINE32" "$build/QuorvelSetup.exe" /S
else
  echo "This machine cannot run 32-bit Windows programs ($why);"
  echo "installing Quorvel with QuorvelSetup-amd64.exe /S, the same installer with a 64-bit stub..."
  "$QV_WINE" "$build/QuorvelSetup-amd64.exe" /S
fi
programs=$("$QV_WINE" cmd /c echo %LOCALAPPDATA% | tr -d '\r')'\Programs\Quorvel'
echo "Installed in $programs"

if ((!headless)); then
  echo "Quorvel is running in the Wine desktop window; exit it from its tray icon (or Ctrl+C here)."
  "$QV_WINE" "$programs\\QUORVEL.EXE" || true
else
  mkdir -p "$build/output"
  shot=$build/output/run-screenshot.png
  # Into a file, not a pipe: the launcher the pilot starts inherits it.
  status=0
  "$QV_WINE" "$build/windows-x86_64/qv_pilot.exe" "$programs\\QUORVEL.EXE" "Z:${shot//\//\\}" \
    >"$session/pilot.log" 2>&1 || status=$?
  sed "s|Z:.*png|$shot|" "$session/pilot.log"
  [[ -s $shot ]] && echo "Screenshot saved: $shot"
  exit "$status"
fi
