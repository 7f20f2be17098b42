#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (mingw-w64, POSIX threads, shared DLLs,
# Release) from Debian's own source packages of the Qt the Linux build uses,
# and installs it into a cache outside the tree:
#   ${TALSK_QT_CACHE:-~/.cache/talsk}/qt-VERSION-mingw64
# Does nothing when that folder exists and was made by this same recipe.
# The first run takes long (about 40 minutes on 2 cores): start it in the
# background with its output in a log file.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

"$root/scripts/install_packages.sh" cmake ninja-build dpkg-dev g++-mingw-w64-x86-64-posix \
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)   # e.g. 6.4.2+dfsg-10
upstream=${version%%+*}
upstream=${upstream%%-*}
cache=${TALSK_QT_CACHE:-$HOME/.cache/talsk}
prefix=$cache/qt-$upstream-mingw64
work=$cache/qt-$upstream-mingw64.work
jobs=$(nproc 2>/dev/null || echo 2)

# What the installed Qt was made from; a different recipe builds anew. Raise
# the number when the options below change.
recipe="recipe 1; qt6-base $version; qt6-svg $(dpkg-query -W -f='${Version}' qt6-svg-dev)"
if [ -f "$prefix/talsk-recipe.txt" ] && [ "$(cat "$prefix/talsk-recipe.txt")" = "$recipe" ]; then
    echo "windows-qt: $prefix is up to date"
    exit 0
fi
start=$(date +%s)
rm -rf "$prefix"
mkdir -p "$work" "$prefix"

# Debian's sources of the same suites and component as the installed
# packages: the source lines are added beside the binary ones, nothing else.
src_list=/etc/apt/sources.list.d/talsk-qt-src.sources
if ! apt-get source --print-uris qt6-base="$version" >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    for f in /etc/apt/sources.list.d/debian.sources; do
        [ -f "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f"
    done | $sudo tee "$src_list" >/dev/null
    $sudo apt-get update -qq
fi

cd "$work"
if [ ! -d qtbase-src ]; then
    rm -rf qt6-base-*
    apt-get source -qq qt6-base="$version"
    mv "$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -1)" qtbase-src
fi
# Qt SVG is optional: the program's pictures have PNG renderings for a Qt
# without it (some mirrors lack this source package).
if [ ! -d qtsvg-src ]; then
    rm -rf qt6-svg-*
    if apt-get source -qq qt6-svg="$(dpkg-query -W -f='${Version}' qt6-svg-dev)"; then
        mv "$(find . -maxdepth 1 -type d -name 'qt6-svg-*' | head -1)" qtsvg-src
    else
        echo "windows-qt: the qt6-svg source package cannot be fetched; building without Qt SVG"
    fi
fi

# The toolchain goes with the installed Qt, which chains it for every
# program built against it. Unlike talsk-cli.exe, the window shares the
# compiler's runtime DLLs with Qt's own.
cat >"$prefix/mingw-w64-shared.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# Debian's source lacks the wintab headers, so no tablet events; without
# OpenGL the Windows platform plug-in of this Qt compiles only with dynamic GL
# off as well.
cmake -G Ninja -S qtbase-src -B qtbase-build \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-shared.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_openssl=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_doubleconversion=OFF >qtbase-configure.log
cmake --build qtbase-build -j "$jobs"
cmake --install qtbase-build >/dev/null

if [ -d qtsvg-src ]; then
    "$prefix/bin/qt-cmake" -G Ninja -S qtsvg-src -B qtsvg-build -DCMAKE_BUILD_TYPE=Release \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF >qtsvg-configure.log
    cmake --build qtsvg-build -j "$jobs"
    cmake --install qtsvg-build >/dev/null
fi

echo "$recipe" >"$prefix/talsk-recipe.txt"
cd "$cache"
rm -rf "$work"
echo "windows-qt: built $prefix in $(($(date +%s) - start)) s ($(du -sh "$prefix" | cut -f1))"
