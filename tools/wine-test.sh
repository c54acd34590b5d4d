#!/usr/bin/env bash
# Runs one Windows test program under Wine in a session of its own:
#   wine-test.sh ROOT PROGRAM [ARGS...]
# ROOT holds the base prefix and the sessions. The program's result is this
# script's result; nothing it started outlives it.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"

mkdir -p "$1"
root=$(cd "$1" && pwd)
shift

# A 32-bit program runs in a prefix of a 32-bit Windows: there every program
# it meets is of its own width. It, or a test that needs a 32-bit program
# (QV_NEEDS_32BIT=1), is skipped on a machine that cannot run them: exit
# code 77, with the reason.
width=$(qv_pe_width "$1")
loader=$QV_WINE base=$root/base
if [[ $width == 32 ]]; then loader=$QV_WINE32 base=$root/base32; fi
if [[ $width == 32 || ${QV_NEEDS_32BIT:-0} == 1 ]]; then
  why=$(qv_why_no_32bit "$root")
  if [[ -n $why ]]; then
    echo "Skipped: this machine cannot run 32-bit Windows programs: $why"
    exit 77
  fi
fi
# The installer is a 32-bit program: where none can run, its twin with a
# 64-bit stub stands in for it.
if [[ $width == 64 && -n ${QV_SETUP_64:-} && -n ${QV_SETUP:-} ]]; then
  why=$(qv_why_no_32bit "$root")
  if [[ -n $why ]]; then
    echo "Note: this machine cannot run 32-bit Windows programs ($why); the installer is tried with its 64-bit stub."
    export QV_SETUP=$QV_SETUP_64 QV_NO_32BIT=$why
  fi
fi
qv_base_prefix "$base" "$width" || exit 1
work=$(mktemp -d "$root/session.XXXXXX")
export HOME=$work/home WINEPREFIX=$work/prefix
trap 'qv_end_session; rm -rf "$work"' EXIT
qv_clone_prefix "$base" "$work"
# Another display scale (QV_LOG_PIXELS, e.g. 144 for 150%): Wine reads it as
# each program of the session starts. Two monitors (QV_MONITORS=2): Wine's
# virtual desktop has only one, so the session runs on the X screen itself,
# whose second head is the primary monitor (see qv_start_monitors), its
# windows unmanaged as in the virtual desktop: there is no window manager, and
# Wine waits 2 s for one on every managed window it shows or hides.
settings=
if [[ -n ${QV_LOG_PIXELS:-} ]]; then
  printf -v settings '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n\n' "$QV_LOG_PIXELS"
fi
if [[ ${QV_MONITORS:-1} == 2 ]]; then
  settings+='[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"=-

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"PrimaryMonitor"="1"
'
fi
if [[ -n $settings ]]; then
  printf 'REGEDIT4\n\n%s' "$settings" >"$work/session.reg"
  "$loader" regedit "$work/session.reg" >/dev/null 2>&1 ||
    { echo "could not apply the session's settings" >&2; exit 1; }
  # The session proper starts afresh, its desktop on the display below.
  "$QV_WINESERVER" -w
fi
if [[ ${QV_MONITORS:-1} == 2 ]]; then
  qv_start_monitors "$work" || exit 1
else
  qv_start_xvfb "$work" || exit 1
fi

# The program writes down the code it ends with. Once its last thread has
# gone, Wine's server gives its Unix process half a second to end and then
# kills it; the loader's status then says "killed" (137) where the program
# had finished with its own result.
rm -f "$work/exit-code"
QV_EXIT_FILE="Z:${work//\//\\}\\exit-code" timeout -k 5 "${QV_TEST_TIMEOUT:-300}" "$loader" "$@"
status=$?
code=$(tr -d '\r\n' 2>/dev/null <"$work/exit-code")
if ((status == 137)) && [[ $code =~ ^[0-9]+$ ]]; then
  echo "Note: Wine killed the process of the finished program; the program ended with code $code."
  status=$(( code <= 255 ? code : 1 ))
fi
exit "$status"
