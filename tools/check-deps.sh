#!/usr/bin/env bash
# Tries tools/deps.sh on the failures a real mirror can hand it, without one:
#   tools/check-deps.sh
# A private apt and dpkg (their own sources, lists, cache and installed-package
# record, in a temporary folder; nothing of this machine's is touched) meet a
# repository of small packages made here, with a release suite and a
# security suite whose i386 index has the wrong size, as in a mirror's sync:
#   1. out of step: the i386 index cannot be fetched, and a library's amd64
#      version comes from the security suite while its i386 twin does not;
#      deps names the list, takes the release's versions and installs all;
#   2. a 32-bit package that cannot be installed: deps installs the rest and
#      says why the 32-bit suites will be skipped; the runner skips them with
#      that reason; once the mirror is in step, the 32-bit suites are back;
#   3. any other package that cannot be installed ends deps with a message.
# Prints what deps printed in each case and ends with "K of N cases failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[[ -n $release ]] || { echo "check-deps: /etc/os-release names no release" >&2; exit 2; }
[[ $(id -u) -eq 0 ]] || { echo "check-deps: run it as root (dpkg installs into its own folder)" >&2; exit 2; }

tmp=$(mktemp -d)
trap "${QV_KEEP:+:} rm -rf \"\$tmp\"" EXIT
repo=$tmp/repo

# package NAME VERSION ARCH SUITE [CONTROL-LINES]: a .deb in SUITE's pool.
package() {
  local name=$1 version=$2 arch=$3 suite=$4 extra=${5:-} dir
  dir=$tmp/src/$name-$version-$arch
  mkdir -p "$dir/DEBIAN" "$dir/usr/share/doc/$name"
  printf 'Package: %s\nVersion: %s\nArchitecture: %s\nMaintainer: Quorvel <dev@quorvel.invalid>\nDescription: deps check package\n%s' \
    "$name" "$version" "$arch" "${extra:+$extra$'\n'}" >"$dir/DEBIAN/control"
  echo "$name $version" >"$dir/usr/share/doc/$name/version"
  mkdir -p "$repo/pool/$suite"
  dpkg-deb -Zgzip --root-owner-group --build "$dir" "$repo/pool/$suite/${name}_${version}_$arch.deb" >/dev/null
}

# index SUITE [BROKEN-ARCH]: the suite's Packages and Release; the index of
# BROKEN-ARCH is announced one byte longer than it is.
index() {
  local suite=$1 broken=${2:-} arch deb dir size sum
  for arch in amd64 i386; do
    dir=$repo/dists/$suite/main/binary-$arch
    mkdir -p "$dir"
    : >"$dir/Packages"
    for deb in "$repo/pool/$suite"/*_{"$arch",all}.deb; do
      [[ -f $deb ]] || continue
      { dpkg-deb -f "$deb"
        echo "Filename: ${deb#"$repo"/}"
        echo "Size: $(stat -c %s "$deb")"
        echo "SHA256: $(sha256sum "$deb" | cut -d' ' -f1)"
        echo; } >>"$dir/Packages"
    done
  done
  {
    echo "Suite: $suite"
    echo "Codename: $suite"
    echo "Architectures: amd64 i386"
    echo "Components: main"
    echo "Date: $(date -Ru)"
    echo "SHA256:"
    for arch in amd64 i386; do
      size=$(stat -c %s "$repo/dists/$suite/main/binary-$arch/Packages")
      sum=$(sha256sum "$repo/dists/$suite/main/binary-$arch/Packages" | cut -d' ' -f1)
      [[ $arch == "$broken" ]] && size=$((size + 1))
      echo " $sum $size main/binary-$arch/Packages"
    done
  } >"$repo/dists/$suite/Release"
}

security=$release-security
# A library every width needs, newer in the security suite: Multi-Arch
# "same" wants one version in both architectures.
for arch in amd64 i386; do
  package qvt-lib 1 "$arch" "$release" 'Multi-Arch: same'
  package qvt-lib 2 "$arch" "$security" 'Multi-Arch: same'
done
package qvt-tool 1 amd64 "$release" 'Depends: qvt-lib'
package qvt-base 1 all "$release"
package qvt-wine32 1 i386 "$release" 'Depends: qvt-lib'
package qvt-xin 1 i386 "$release"
# Packages that depend on one that no suite has.
package qvt-wine32-cut 1 i386 "$release" 'Depends: qvt-gone'
package qvt-broken 1 amd64 "$release" 'Depends: qvt-gone'
index "$release"
index "$security" i386

# A fresh private apt and dpkg for each case, amd64 only.
fresh() {
  rm -rf "$tmp/sys"
  mkdir -p "$tmp/sys/root/var/lib/dpkg/"{info,updates,triggers} "$tmp/sys/parts" \
    "$tmp/sys/apt/state/lists/partial" "$tmp/sys/apt/cache/archives/partial" "$tmp/sys/build"
  : >"$tmp/sys/root/var/lib/dpkg/status"
  echo "deb [trusted=yes] file:$repo $release main" >"$tmp/sys/sources.list"
  echo "deb [trusted=yes] file:$repo $security main" >>"$tmp/sys/sources.list"
  cat >"$tmp/sys/apt.conf" <<CONF
Dir::Etc::main "/dev/null";
Dir::Etc::Parts "$tmp/sys/parts";
Dir::Etc::SourceList "$tmp/sys/sources.list";
Dir::Etc::SourceParts "$tmp/sys/parts";
Dir::Etc::Preferences "/dev/null";
Dir::Etc::PreferencesParts "$tmp/sys/parts";
Dir::State "$tmp/sys/apt/state";
Dir::State::status "$tmp/sys/root/var/lib/dpkg/status";
Dir::Cache "$tmp/sys/apt/cache";
Dir::Log "$tmp/sys/apt";
DPkg::Options { "--root=$tmp/sys/root"; "--force-not-root"; };
APT::Sandbox::User "root";
Acquire::Languages "none";
CONF
  # As on a machine's image: the lists of its own architecture, fetched
  # before the i386 one was added.
  APT_CONFIG=$tmp/sys/apt.conf DPKG_ADMINDIR=$tmp/sys/root/var/lib/dpkg apt-get update -qq >/dev/null 2>&1 ||
    echo "check-deps: the first apt-get update failed" >&2
}

# deps PACKAGES PACKAGES32: runs deps.sh in the private system.
deps() {
  APT_CONFIG=$tmp/sys/apt.conf DPKG_ROOT=$tmp/sys/root DPKG_ADMINDIR=$tmp/sys/root/var/lib/dpkg \
    QV_BUILD_DIR=$tmp/sys/build QV_DEPS_PACKAGES=$1 QV_DEPS_PACKAGES32=$2 QV_DEPS_LOCALE= \
    "$root/tools/deps.sh" >"$tmp/out" 2>&1
  local status=$?
  sed 's/^/    | /' "$tmp/out"
  echo "    exit $status"
  return $status
}

installed() {
  dpkg-query --admindir="$tmp/sys/root/var/lib/dpkg" -W -f='${Version}' "$1" 2>/dev/null
}

cases=0 failed=0
check() {
  cases=$((cases + 1))
  if eval "$2"; then echo "  ok: $1"; else echo "  FAILED: $1"; failed=$((failed + 1)); fi
}

echo "1. The i386 index of $security cannot be fetched; a library is newer there"
fresh
deps "qvt-base qvt-tool" "qvt-wine32:i386 qvt-xin:i386"
status=$?
check "deps succeeds" '((status == 0))'
check "it names the list that failed" \
  'grep -q "^deps: could not fetch the package list .*/dists/$security/main/binary-i386/Packages (" "$tmp/out"'
check "it takes the release's own versions" 'grep -q -- "installing $release.s own versions (-t $release)" "$tmp/out"'
check "both widths of the library are the release's" \
  '[[ $(installed qvt-lib:amd64) == 1 && $(installed qvt-lib:i386) == 1 ]]'
check "the 32-bit part is installed, and no skip is noted" \
  '[[ $(installed qvt-wine32:i386) == 1 && $(installed qvt-xin:i386) == 1 && ! -e $tmp/sys/build/wine/why-no-32bit.txt ]]'

echo "2. A 32-bit package cannot be installed"
fresh
deps "qvt-base qvt-tool" "qvt-wine32-cut:i386 qvt-xin:i386"
status=$?
check "deps succeeds" '((status == 0))'
check "it says in one line that the 32-bit suites will be skipped, and why" \
  '[[ $(grep -c "32-bit suites will be skipped: .*qvt-gone" "$tmp/out") == 1 ]]'
check "everything else is installed, at the default versions" \
  '[[ $(installed qvt-base) == 1 && $(installed qvt-tool) == 1 && $(installed qvt-lib:amd64) == 2 ]]'
check "nothing of the 32-bit part is installed" '[[ -z $(installed qvt-xin:i386) ]]'
# The runner's answer for a 32-bit test program (only its header is read).
python3 -c 'import struct,sys; h=bytearray(512); h[:2]=b"MZ"; struct.pack_into("<I",h,0x3C,64); h[64:68]=b"PE\0\0"; struct.pack_into("<H",h,68,0x14C); sys.stdout.buffer.write(h)' \
  >"$tmp/test32.exe"
"$root/tools/wine-test.sh" "$tmp/sys/build/wine" "$tmp/test32.exe" >"$tmp/runner" 2>&1
status=$?
sed 's/^/    runner | /' "$tmp/runner"
check "the runner skips a 32-bit suite (77) with that reason" \
  '((status == 77)) && grep -q "^Skipped: .*could not be installed: .*qvt-gone" "$tmp/runner"'
# The mirror in step again: the i386 twin of the newer library is there.
index "$security"
deps "qvt-base qvt-tool" "qvt-wine32:i386 qvt-xin:i386"
check "once the 32-bit part can be installed, it is, and the skip is gone" \
  '[[ $(installed qvt-wine32:i386) == 1 && ! -e $tmp/sys/build/wine/why-no-32bit.txt ]]'

echo "3. Another package cannot be installed"
fresh
deps "qvt-base qvt-broken" "qvt-wine32:i386 qvt-xin:i386"
status=$?
check "deps ends with an error, naming the package" \
  '((status != 0)) && grep -q "^deps: cannot install qvt-base qvt-broken: .*qvt-gone" "$tmp/out"'
check "nothing is installed" '[[ -z $(installed qvt-base) ]]'

echo "$failed of $cases cases failed"
((failed == 0))
