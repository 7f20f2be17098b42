#!/usr/bin/env bash
# Builds the Debian package build/package/talsk_VERSION_amd64.deb from a
# Release build of its own (build/package-build, hardened with Debian's build
# flags); with --check, then checks it (tests/package/check_deb.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
case "${1:-}" in
    --check) check=1 ;;
    "") ;;
    *) echo "usage: scripts/package.sh [--check]" >&2; exit 1 ;;
esac
./scripts/deps.sh
# dpkg-dev: the build flags and dpkg-shlibdeps, which finds the dependencies
# (reading the binaries with file); lintian for --check.
./scripts/install_packages.sh dpkg-dev file lintian
umask 022
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
. scripts/gcc12_flags.sh
cxxflags+=" $gcc12_quiet"
ldflags=$(dpkg-buildflags --get LDFLAGS)
build=build/package-build
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTALSK_TESTS=OFF -DTALSK_BENCH=OFF \
    -DTALSK_GUI=ON -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$jobs" --target talsk talsk-cli
out=$PWD/build/package
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=build/package/talsk_${version}_$(dpkg --print-architecture).deb
echo "$deb"
if [ "$check" -eq 1 ]; then
    tests/package/check_deb.sh "$deb" "$version"
fi
