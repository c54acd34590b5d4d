#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing.
#
# Package indexes can be out of step (a mirror in mid-sync): a list that
# cannot be fetched is tried again briefly, then named, and deps goes on with
# the others. Where the default versions then do not resolve (an amd64
# library from the security suite whose i386 twin apt no longer knows), the
# release's own versions are installed, so both architectures resolve alike.
# The 32-bit part is optional: where it cannot be installed, everything else
# is, and the reason is kept in $build/wine/why-no-32bit.txt, from which the
# test runner reports the 32-bit suites as skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QV_BUILD_DIR:-$root/build}

packages=(
  cmake ninja-build g++ python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  googletest libgtest-dev libbenchmark-dev
  wine wine64 xvfb fonts-liberation nsis locales
  # Two monitors: Xorg's dummy driver, and Xinerama for Wine of each width,
  # which only recommends it and shows one monitor without it.
  # xprop gives each monitor its work area there.
  xserver-xorg-core xserver-xorg-video-dummy libxinerama1 x11-utils
)
# The 32-bit Wine runs the 32-bit program; without it the 32-bit suites are
# skipped.
packages32=(wine32:i386 libxinerama1:i386)

# tools/check-deps.sh tries the failure paths with packages of its own, and
# no locale.
if [[ -n ${QV_DEPS_PACKAGES+x} ]]; then read -ra packages <<<"$QV_DEPS_PACKAGES"; fi
if [[ -n ${QV_DEPS_PACKAGES32+x} ]]; then read -ra packages32 <<<"$QV_DEPS_PACKAGES32"; fi

note=$build/wine/why-no-32bit.txt
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
apt_out=$(mktemp)
trap 'rm -f "$apt_out"' EXIT

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Fetches the package lists. A failed update is tried again; lists that
# still cannot be fetched are named in one line, and the others are used.
update_lists() {
  local try status
  for try in 1 2 3; do
    status=0
    "${sudo[@]}" apt-get update -qq >"$apt_out" 2>&1 || status=$?
    ((status != 0 && try < 3)) || break
    sleep $((2 * try))
  done
  local failed
  # "E: Failed to fetch URL  REASON [IP: ...]", "W: ..." for network errors.
  failed=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' "$apt_out" |
    sed 's/ *\[IP: [^]]*\])$/)/' | paste -sd ';' - | sed 's/;/; /g')
  if [[ -n $failed ]]; then
    echo "deps: could not fetch the package list $failed; going on with the other lists"
  elif ((status != 0)); then
    cat "$apt_out" >&2
    echo "deps: apt-get update failed (exit $status)" >&2
    exit 1
  fi
}

# resolves [OPTIONS] PACKAGES: whether apt can install them together; its
# answer is left in $apt_out.
resolves() {
  apt-get install -s -q --no-install-recommends "$@" >"$apt_out" 2>&1
}

# One line of apt's last answer that says why it did not resolve.
why_not() {
  local unmet count
  unmet=$(sed -n '/unmet dependencies:$/,/^E:/p' "$apt_out" | grep 'Depends:\|Conflicts:\|Breaks:' || true)
  if [[ -n $unmet ]]; then
    count=$(wc -l <<<"$unmet")
    sed -n '1{s/^ *//;p}' <<<"$unmet" | tr -s ' '
    ((count == 1)) || echo " (and $((count - 1)) more unmet dependencies)"
  else
    grep -m1 '^E:' "$apt_out" | sed 's/^E: //' || echo "apt gave no reason"
  fi | paste -sd '' -
}

# choose PACKAGES: sets target to the first way apt resolves them, its
# default versions or the release's own; fails with the reason in $why.
choose() {
  target=()
  resolves "$@" && return 0
  why=$(why_not)
  [[ -n $release ]] || return 1
  target=(-t "$release")
  if ! resolves "${target[@]}" "$@"; then
    why=$(why_not)
    return 1
  fi
  echo "deps: the default versions do not resolve ($why); installing $release's own versions (-t $release)"
}

# The 32-bit Wine needs the i386 architecture.
added_i386=0
if ((${#packages32[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
  added_i386=1
fi

missing=() missing32=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${packages32[@]}"; do installed "$p" || missing32+=("$p"); done

if ((added_i386 || ${#missing[@]} + ${#missing32[@]})); then
  update_lists
fi

if ((${#missing[@]} + ${#missing32[@]})); then
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if ! choose "${missing[@]}" "${missing32[@]}"; then
    why32=$why
    if ! choose "${missing[@]}"; then
      cat "$apt_out" >&2
      echo "deps: cannot install ${missing[*]}: $why" >&2
      exit 1
    fi
    echo "deps: the 32-bit packages (${packages32[*]}) cannot be installed, so the 32-bit suites will be skipped: $why32"
    mkdir -p "${note%/*}"
    echo "the 32-bit packages (${packages32[*]}) could not be installed: $why32" >"$note"
    missing32=()
  fi
  if ((${#missing[@]} + ${#missing32[@]})); then
    missing+=("${missing32[@]}")
    echo "Installing: ${missing[*]}"
    if ! DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${target[@]}" "${missing[@]}"; then
      echo "deps: apt-get install failed; the packages above are not all installed" >&2
      exit 1
    fi
  fi
fi

# Once the 32-bit part is there, its suites run again.
all32=1
for p in "${packages32[@]}"; do installed "$p" || all32=0; done
if ((all32)); then rm -f "$note"; fi

# Wine takes the ANSI code page from the Linux locale: the Japanese one gives
# code page 932, where the tests try double-byte paths.
if [[ ${QV_DEPS_LOCALE-ja} == ja ]] && ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "Generating the locale ja_JP.UTF-8"
  if grep -qx '# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo[@]}" sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
  elif ! grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen >/dev/null
fi
