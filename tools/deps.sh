#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  googletest libgtest-dev libbenchmark-dev
  wine wine64 wine32:i386 xvfb fonts-liberation nsis locales
  # Two monitors: Xorg's dummy driver, and Xinerama for Wine of each width,
  # which only recommends it and shows one monitor without it.
  # xprop gives each monitor its work area there.
  xserver-xorg-core xserver-xorg-video-dummy libxinerama1 libxinerama1:i386 x11-utils
)

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)

# The 32-bit Wine runs the 32-bit program in the same 64-bit prefix.
update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
  update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((update)) || ((${#missing[@]})); then
  "${sudo[@]}" apt-get update -qq
fi
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine takes the ANSI code page from the Linux locale: the Japanese one gives
# code page 932, where the tests try double-byte paths.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "Generating the locale ja_JP.UTF-8"
  if grep -qx '# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo[@]}" sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
  elif ! grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen >/dev/null
fi
