# Shell functions for running Quorvel and its tests under Wine; source it.
#
# A base prefix is made once (wineboot takes ~10 s) with its own HOME, a
# 1024x768 virtual desktop with a task bar for every program, Windows 10 as
# the version it reports (Wine's own default is Windows 7), and real
# Desktop/Documents folders instead of links into HOME. Each session works on
# a copy of it (system DLLs of both widths hard-linked, everything else copied), on an Xvfb
# display of its own (or an Xorg one with two monitors), and ends every process it started.

QV_WINE=${QV_WINE:-/usr/lib/wine/wine64}
QV_WINE32=${QV_WINE32:-/usr/lib/wine/wine}
QV_WINESERVER=${QV_WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# qv_base_prefix DIR [32]: makes DIR/home and DIR/prefix unless DIR is ready;
# with 32, a prefix of a 32-bit Windows, where every program is 32-bit.
qv_base_prefix() {
  local dir=$1 lock loader=$QV_WINE arch=win64
  if [[ ${2:-} == 32 ]]; then loader=$QV_WINE32 arch=win32; fi
  mkdir -p "$dir"
  exec {lock}>"$dir/.lock"
  flock "$lock"
  # A 64-bit prefix made before the 32-bit Wine was there runs no 32-bit programs.
  if [[ $arch == win64 && -f $dir/.ready && -z $(qv_why_no_32bit) &&
        ! -f $dir/prefix/drive_c/windows/syswow64/kernel32.dll ]]; then
    rm -f "$dir/.ready"
  fi
  # A prefix made before it reported Windows 10 is made again.
  if [[ -f $dir/.ready && $(cat "$dir/.ready") != win10 ]]; then rm -f "$dir/.ready"; fi
  if [[ ! -f $dir/.ready ]]; then
    echo "Making a Wine prefix in $dir (once)..." >&2
    rm -rf "$dir/home" "$dir/prefix"
    mkdir -p "$dir/home"
    (
      export HOME=$dir/home WINEPREFIX=$dir/prefix WINEARCH=$arch
      "$loader" wineboot -i >/dev/null 2>&1
      cat >"$dir/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine]
"Version"="win10"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"shell"="1024x768"
REG
      "$loader" regedit "$dir/desktop.reg" >/dev/null 2>&1
      "$QV_WINESERVER" -w
    )
    local link
    for link in "$dir"/prefix/drive_c/users/*/*; do
      if [[ -L $link ]]; then rm -f "$link" && mkdir -p "$link"; fi
    done
    echo win10 >"$dir/.ready"
  fi
  flock -u "$lock"
  exec {lock}>&-
}

# qv_pe_width FILE: prints 32 or 64 for a Windows program, nothing otherwise.
qv_pe_width() {
  python3 - "$1" <<'PY'
import struct, sys
with open(sys.argv[1], "rb") as f:
    data = f.read(4096)
if data[:2] == b"MZ":
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] == b"PE\0\0":
        machine = struct.unpack_from("<H", data, pe + 4)[0]
        print({0x14C: 32, 0x8664: 64}.get(machine, ""))
PY
}

# qv_why_no_32bit [ROOT]: prints why 32-bit Windows programs cannot run on
# this machine, nothing when they can. ROOT is the Wine root of a build, where
# tools/deps.sh says why it could not install the 32-bit part.
qv_why_no_32bit() {
  if [[ -n ${1:-} && -s $1/why-no-32bit.txt ]]; then
    head -n1 "$1/why-no-32bit.txt"
    return
  fi
  if [[ ! -x $QV_WINE32 ]]; then
    echo "the 32-bit Wine ($QV_WINE32, Debian package wine32:i386) is not installed"
    return
  fi
  local out
  if ! out=$("$QV_WINE32" --version 2>&1); then
    echo "$QV_WINE32 does not run here: ${out:-no answer}"
  fi
}

# qv_clone_prefix BASE WORK: a private copy of BASE's prefix and home in WORK.
qv_clone_prefix() {
  local base=$1 work=$2
  mkdir -p "$work/prefix"
  local windows=$base/prefix/drive_c/windows system
  tar -C "$base/prefix" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 -cf - . |
    tar -C "$work/prefix" -xf -
  for system in "$windows/system32" "$windows/syswow64"; do
    if [[ -d $system ]]; then cp -al "$system" "$work/prefix/drive_c/windows/"; fi
  done
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

# qv_start_monitors WORK: starts an X server with two monitors, as Wine sees
# them without its virtual desktop: the primary, 1024x768 at (0,0), and a
# 1280x800 one above it at (-512,-800), so that the primary's top row lies
# under the upper monitor for x < 768 and is the desktop's edge from there on.
# Sets DISPLAY and QV_XVFB_PID.
# Xvfb puts every head at 0,0; Xorg's dummy driver places Xinerama heads as
# the layout says, and Wine reads them from Xinerama (which turns RandR off).
# The upper head is X screen 0: Xorg mangles pointer warps when screen 0 is
# not at the root's origin, so Wine is told the primary is head 1 (X11 Driver,
# PrimaryMonitor). VidMode is off, as Wine 8 frees a bad pointer in its
# VidMode mode list and its display set-up dies; no input devices are added,
# and -sharevts keeps Xorg off the consoles.
qv_start_monitors() {
  local work=$1 i
  rm -f "$work/display"
  mkdir -p "$work/xorg.conf.d"
  cat >"$work/xorg.conf.d/flags.conf" <<'CONF'
Section "ServerFlags"
  Option "Xinerama" "true"
  Option "DisableVidModeExtension" "true"
  Option "AutoAddDevices" "false"
EndSection
CONF
  cat >"$work/xorg.conf" <<'CONF'
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
  Modeline "1280x800" 83.50 1280 1352 1480 1680 800 803 809 831 -hsync +vsync
EndSection
Section "Device"
  Identifier "primary"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Device"
  Identifier "upper"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Screen"
  Identifier "primary"
  Device "primary"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
  EndSubSection
EndSection
Section "Screen"
  Identifier "upper"
  Device "upper"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1280x800"
  EndSubSection
EndSection
Section "ServerLayout"
  Identifier "monitors"
  Screen 0 "upper" 0 0
  Screen 1 "primary" 512 800
EndSection
CONF
  Xorg -displayfd 3 -config "$work/xorg.conf" -configdir "$work/xorg.conf.d" \
    -logfile "$work/Xorg.log" -nolisten tcp -noreset -sharevts 3>"$work/display" >/dev/null 2>&1 &
  QV_XVFB_PID=$!
  for ((i = 0; i < 200; i++)); do
    [[ -s $work/display ]] && break
    kill -0 "$QV_XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  if [[ ! -s $work/display ]]; then
    echo "Xorg with two monitors did not start; from $work/Xorg.log:" >&2
    grep -sF '(EE)' "$work/Xorg.log" >&2 || echo "(none; tools/deps.sh installs Xorg)" >&2
    return 1
  fi
  export DISPLAY=":$(head -n1 "$work/display")"
  # Each monitor's work area, as a desktop announces it (root coordinates):
  # a 30-pixel bar at the top of the upper monitor, a 20-pixel task bar at
  # the foot of the primary, as in the virtual desktop.
  xprop -root -f _GTK_WORKAREAS_D0 32c -set _GTK_WORKAREAS_D0 '0,30,1280,770,512,800,1024,748' ||
    { echo "could not set the work areas (xprop, from x11-utils)" >&2; return 1; }
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
