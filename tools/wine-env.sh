# Shell functions for running Quorvel and its tests under Wine; source it.
#
# A base prefix is made once (wineboot takes ~10 s) with its own HOME, a
# 1024x768 virtual desktop with a task bar for every program, and real
# Desktop/Documents folders instead of links into HOME. Each session works on
# a copy of it (system DLLs hard-linked, everything else copied), on an Xvfb
# display of its own, and ends every process it started.

QV_WINE=${QV_WINE:-/usr/lib/wine/wine64}
QV_WINESERVER=${QV_WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# qv_base_prefix DIR: makes DIR/home and DIR/prefix unless DIR is ready.
qv_base_prefix() {
  local dir=$1 lock
  mkdir -p "$dir"
  exec {lock}>"$dir/.lock"
  flock "$lock"
  if [[ ! -f $dir/.ready ]]; then
    echo "Making a Wine prefix in $dir (once)..." >&2
    rm -rf "$dir/home" "$dir/prefix"
    mkdir -p "$dir/home"
    (
      export HOME=$dir/home WINEPREFIX=$dir/prefix
      "$QV_WINE" wineboot -i >/dev/null 2>&1
      cat >"$dir/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"shell"="1024x768"
REG
      "$QV_WINE" regedit "$dir/desktop.reg" >/dev/null 2>&1
      "$QV_WINESERVER" -w
    )
    local link
    for link in "$dir"/prefix/drive_c/users/*/*; do
      if [[ -L $link ]]; then rm -f "$link" && mkdir -p "$link"; fi
    done
    touch "$dir/.ready"
  fi
  flock -u "$lock"
  exec {lock}>&-
}

# qv_clone_prefix BASE WORK: a private copy of BASE's prefix and home in WORK.
qv_clone_prefix() {
  local base=$1 work=$2
  mkdir -p "$work/prefix"
  tar -C "$base/prefix" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$work/prefix" -xf -
  cp -al "$base/prefix/drive_c/windows/system32" "$work/prefix/drive_c/windows/"
  cp -a "$base/home" "$work/home"
}

# qv_start_xvfb WORK: starts a 1024x768 X server; sets DISPLAY and QV_XVFB_PID.
qv_start_xvfb() {
  local work=$1 i
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  QV_XVFB_PID=$!
  for ((i = 0; i < 100; i++)); do
    [[ -s $work/display ]] && break
    sleep 0.05
  done
  [[ -s $work/display ]] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
}

# qv_end_session: ends the session's Wine processes and X server.
qv_end_session() {
  if [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]]; then
    "$QV_WINESERVER" -k >/dev/null 2>&1 || true
    "$QV_WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [[ -n ${QV_XVFB_PID:-} ]]; then
    kill "$QV_XVFB_PID" 2>/dev/null || true
    wait "$QV_XVFB_PID" 2>/dev/null || true
    QV_XVFB_PID=
  fi
}
