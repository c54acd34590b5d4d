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
qv_base_prefix "$root/base" || exit 1
work=$(mktemp -d "$root/session.XXXXXX")
export HOME=$work/home WINEPREFIX=$work/prefix
trap 'qv_end_session; rm -rf "$work"' EXIT
qv_clone_prefix "$root/base" "$work"
qv_start_xvfb "$work" || exit 1

timeout -k 5 "${QV_TEST_TIMEOUT:-300}" "$QV_WINE" "$@"
