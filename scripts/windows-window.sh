#!/usr/bin/env bash
# The window on Windows, against the Qt scripts/windows-qt.sh built: cross-builds
# talsk.exe, talsk-cli.exe and the window test program in build/windows-gui,
# lays out the program's folder (build/windows-gui/folder), makes the installer
# talsk-VERSION-win64.exe, runs the window test program under wine on the
# offscreen platform, then, under wine in a virtual screen with openbox:
# installs silently, starts the installed program on the demo files, types a
# search, checks its count in the search log against talsk-cli.exe, closes
# with F10, checks what was written, takes docs/screenshots/windows.png and
# uninstalls. Prints the installer's size and the start times.
# Exits 0 when all passed, 1 when anything failed, 2 when there is no Qt for
# Windows yet.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
upstream=${version%%+*}
upstream=${upstream%%-*}
qt=${TALSK_QT_CACHE:-$HOME/.cache/talsk}/qt-$upstream-mingw64
if [ -z "$upstream" ] || [ ! -f "$qt/talsk-recipe.txt" ]; then
    echo "windows-window: no Qt for Windows at $qt (scripts/windows-qt.sh builds it)"
    exit 2
fi

"$root/scripts/install_packages.sh" cmake make g++-mingw-w64-x86-64-posix wine64 wine \
    googletest ccache nsis librsvg2-bin icoutils qt6-translations-l10n xvfb openbox xdotool imagemagick

jobs=$(nproc 2>/dev/null || echo 2)
build=build/windows-gui
failed=()
fail() {
    echo "windows-window: FAILED: $*"
    failed+=("$1")
}

# The window's sources are many: a rerun compiles only what changed.
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} # another checkout hits as well
# The window's libraries share a precompiled Qt header, which ccache takes
# only when told the header's time and macros do not matter.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
# Qt's toolchain file chains the compilers Qt was built with. -O2: a
# program to ship, built in reasonable time on a small machine.
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS="-Wno-restrict" -DTALSK_GUI=ON -DTALSK_TESTS=ON \
    -DTALSK_GTEST_SOURCE=/usr/src/googletest >/dev/null
cmake --build "$build" -j "$jobs" --target talsk talsk-cli tests_gui

# The program's folder as the installer lays it out.
folder=$build/folder
rm -rf "$folder"
cmake --install "$build" --prefix "$folder" >"$build/install.log"
for f in talsk.exe talsk-cli.exe qt.conf platforms/qwindows.dll translations/qtbase_ru.qm \
    licence.txt Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll; do
    [ -f "$folder/$f" ] || fail "layout: $f missing"
done
echo "windows-window: the folder holds $(find "$folder" -type f | wc -l) files," \
    "$(du -sh "$folder" | cut -f1)"

(cd "$build" && cpack -G NSIS >cpack.log) || fail "cpack (see $build/cpack.log)"
installer=$(find "$build" -maxdepth 1 -name 'talsk-*-win64.exe' | head -1)
if [ -z "$installer" ]; then
    fail "no installer"
    exit 1
fi
echo "windows-window: $(basename "$installer"): $(stat -c %s "$installer") bytes"

export WINEPREFIX="$root/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "windows-window: making the wine prefix (first run only)"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi

# The window test program beside the program's DLLs, with Qt's offscreen
# platform and test library.
testrun=$build/testrun
rm -rf "$testrun"
cp -r "$folder" "$testrun"
cp "$build/tests/tests_gui.exe" "$qt/bin/Qt6Test.dll" "$testrun/"
cp "$qt/plugins/platforms/qoffscreen.dll" "$testrun/platforms/"
status=0
# Left out here, and tried on the real window below instead:
# - SingleInstance.*: both copies are one process here, and under wine a
#   pipe's writer in it waits for a reader on its own thread. The trial starts
#   a second talsk.exe, which hands over to the first and ends.
# - the checks of text cut at set widths: the offscreen platform on Windows
#   measures text in another font than the desktop's (a 300-pixel grid needs
#   402); the trial narrows the real window to 420 pixels.
skipped="SingleInstance.*:ResultsTableTest.FirstColumnKeepsItsTitleAndNumbersWhole"
skipped+=":MainFrameTest.NarrowWindowAndCityCodesCutNoTextAndMenusAgree"
skipped+=":MainFrameTest.LargeFontAndNarrowWindowCutNoText"
# - the list saved through the file browser: after the tests before it, Qt
#   faults inside its own code under wine (alone, it passes there); the Linux
#   run keeps it covered meanwhile.
skipped+=":ResultsExportTest.SaveListAsksTheBrowserRemembersTheFolderAndNamesAFailure"
(cd "$testrun" && QT_QPA_PLATFORM=offscreen timeout 1200 wine tests_gui.exe \
    --gtest_filter="-$skipped" >../tests_gui.log 2>&1) || status=$?
tr -d '\r' <"$build/tests_gui.log" >"$build/tests_gui.txt"
grep -E '^\[ *(PASSED|SKIPPED|FAILED) *\]' "$build/tests_gui.txt" || true
# Wine may end a crashed program with status 0: the summary must be there.
if [ $status -ne 0 ] || ! grep -qE '^\[  PASSED  \] [0-9]+ test' "$build/tests_gui.txt" ||
    grep -qE '^\[  FAILED  \]|^Unhandled exception' "$build/tests_gui.txt"; then
    fail "tests_gui.exe (exit $status, see $build/tests_gui.log)"
fi

# A virtual screen with a window manager, as a user's desktop.
work=$(mktemp -d)
. scripts/lib/desktop.sh
start_desktop 110

# Silent installation, per machine.
programs="$WINEPREFIX/drive_c/Program Files/Talsk"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
wine "$installer" /S >/dev/null 2>&1 || fail "installer exit status"
wineserver -w
[ -f "$programs/talsk.exe" ] || fail "install: no talsk.exe in Program Files"
[ -f "$programs/Uninstall.exe" ] || fail "install: no uninstaller"
find "$menu" -name 'Тальский телефонный справочник.lnk' | grep -q . || fail "install: no Start menu entry"
wine reg query 'HKCR\.btn' /ve 2>/dev/null | tr -d '\r' | grep -q 'Talsk.BaseFile' ||
    fail "install: .btn not associated"

cli() { wine "$programs/talsk-cli.exe" "$@"; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }


# CPU time the process has used, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo -1; }

# Seconds since the epoch, with fractions.
now() { date +%s.%N; }
# $1 - $2 in seconds, one decimal.
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a - b }'; }

# Starts the installed program on folder $1 and sets $times to the seconds to
# its window and to the totals: the moment the loading ends, after which the
# program uses no CPU time for a second. Sets $main to its window and
# $talsk_pid to its process.
start_program() {
    local start shown last_change ticks previous
    start=$(now)
    wine "$programs/talsk.exe" "$(winpath "$1")" >"$work/talsk.log" 2>&1 &
    pids+=($!)
    main=$(wait_window "Телефоны Тальска 2000" 600) || return 1
    shown=$(now)
    talsk_pid=$(xdotool getwindowpid "$main" 2>/dev/null || true)
    [ -n "$talsk_pid" ] || return 1
    previous=$(cpu_ticks "$talsk_pid")
    last_change=$shown
    for _ in $(seq 1200); do
        sleep 0.1
        ticks=$(cpu_ticks "$talsk_pid")
        if [ "$ticks" != "$previous" ]; then
            previous=$ticks
            last_change=$(now)
        elif [ "$(seconds "$(now)" "$last_change" | tr -d .)" -gt 10 ]; then
            break
        fi
    done
    times="window $(seconds "$shown" "$start") s, totals $(seconds "$last_change" "$start") s"
}

# Waits up to 30 s for the program to end.
wait_end() {
    for _ in $(seq 300); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# The demo files without the keyed one: its key is Cyrillic, and Cyrillic
# typed by xdotool reaches a program under wine as other letters.
demo=$work/demo
cli demo "$(winpath "$demo")" >/dev/null
rm -f "$demo/talsk-keyed.btn"
if start_program "$demo"; then
    echo "windows-window: start on the 20k demo: $times"
else
    fail "the window did not show"
fi

if [ -n "${main:-}" ]; then
    # The phone field has the focus at the first start: digits arrive as typed.
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    sleep 0.5
    xdotool type --delay 150 "12"
    xdotool key Return
    sleep 3
    xdotool mousemove --window "$main" 900 20
    sleep 0.6
    import -window root -strip -define png:compression-level=9 "$root/docs/screenshots/windows.png"
    echo "windows-window: saved docs/screenshots/windows.png"

    # A second start hands its folder to the running copy and ends.
    second_start=$(now)
    second=0
    timeout 30 wine "$programs/talsk.exe" "$(winpath "$demo")" >"$work/second.log" 2>&1 ||
        second=$?
    echo "windows-window: a second start ended after" \
        "$(seconds "$(now)" "$second_start") s with status $second"
    [ $second -eq 0 ] || fail "the second start (status $second)"
    windows=$(xdotool search --onlyvisible --name "^Телефоны Тальска 2000\$" | wc -l)
    [ "$windows" -eq 1 ] || fail "$windows main windows after a second start"

    # As narrow as a window of the program may be made.
    xdotool windowsize "$main" 420 600
    sleep 1
    width=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    [ "$width" = 420 ] || fail "the window is $width pixels wide, not 420"

    marker=$work/before-close
    touch "$marker"
    sleep 1
    xdotool key F10
    wait_end "$talsk_pid" || fail "F10 did not close the window"
    wineserver -w

    # The settings and the search log, written on closing.
    [ "$demo/Orv   2000.cfg" -nt "$marker" ] || fail "no settings file written on closing"
    find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/talsk/*.ini' -newer "$marker" |
        grep -q . || fail "no window settings written in %APPDATA%\\talsk"
    if [ ! "$demo/search.log" -nt "$marker" ]; then
        fail "no search log written on closing"
    else
        # The newest entry's fields and hits, read from the log's layout: a
        # 32-byte header (count, text size), seven strings an entry, then
        # 12-byte stamps whose last four bytes are the hits.
        mapfile -t logged < <(python3 - "$demo/search.log" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
count, text_size = struct.unpack_from("<ii", data, 2)
strings = data[32:32 + text_size].split(b"\0")[:-1]
fields = strings[7 * (count - 1):7 * count]
print(struct.unpack_from("<i", data, 32 + text_size + 12 * (count - 1) + 8)[0])
names = ["phone", "name", "street", "house", "unit", "organization", "comment"]
for name, text in zip(names, fields):
    if text:
        print("%s=%s" % (name, text.decode("cp1251")))
EOF
)
        hits=${logged[0]:-none}
        query=()
        for field in "${logged[@]:1}"; do
            query+=(--field "$field")
        done
        total=$(cli search "${query[@]}" "$(winpath "$demo/talsk.btn")" | tr -d '\r' | tail -1 |
            sed -n 's/.*total=\([0-9]*\).*/\1/p')
        echo "windows-window: the search log's newest entry, ${logged[*]:1}: $hits hits;" \
            "talsk-cli.exe search: $total"
        [ -n "$total" ] && [ "$hits" = "$total" ] || fail "search log $hits hits, talsk-cli $total"
    fi
fi

# The start on a million records.
big=$work/big
cli demo "$(winpath "$big")" --residents 950000 --organizations 50000 >/dev/null
rm -f "$big/talsk-keyed.btn"
if start_program "$big"; then
    echo "windows-window: start on 1M records: $times"
    xdotool key F10
    wait_end "$talsk_pid" || fail "F10 did not close the window on 1M records"
else
    fail "the window did not show on 1M records"
fi
wineserver -w

# Uninstalled: the folder, the Start menu entry and the association go.
wine "$programs/Uninstall.exe" /S >/dev/null 2>&1 || fail "uninstaller exit status"
wineserver -w
[ ! -e "$programs" ] || fail "uninstall: $programs is still there"
find "$menu" -name 'Тальский телефонный справочник.lnk' | grep -q . &&
    fail "uninstall: the Start menu entry is still there"
wine reg query 'HKCR\.btn' /ve >/dev/null 2>&1 && fail "uninstall: .btn still associated"

if [ ${#failed[@]} -gt 0 ]; then
    echo "windows-window: FAILED: ${failed[*]}"
    exit 1
fi
echo "windows-window: the window test program, the installer and the program under wine passed"
