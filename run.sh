#!/usr/bin/env bash
# Installs what is missing, builds Release, makes the demo folder and shows the
# directory at work: in its window when there is a display, else on the terminal.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
. scripts/gcc12_flags.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTALSK_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$gcc12_quiet" >/dev/null
cmake --build build/release -j "$jobs" --target talsk-cli talsk
cli=build/release/talsk-cli
demo=build/demo
if [ ! -f "$demo/talsk.btn" ]; then
    "$cli" demo "$demo"
fi
echo "== Files of the demo folder =="
"$cli" info "$demo/talsk.btn"
echo
"$cli" info --key "тальск" "$demo/talsk-keyed.btn"
echo
echo "== Search: surname «Иванов*» living on «Ленина» =="
"$cli" search --field 'name=иванов*' --field street=ленина "$demo/talsk.btn" | head -n 12
echo
echo "== General search «завод» over residents and organizations =="
"$cli" search --all завод "$demo/talsk.btn" | tail -n 6
echo
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== Starting the window in $demo (the key of talsk-keyed.btn: тальск, Enter, Enter) =="
    exec build/release/talsk "$demo"
fi
echo "No display: on a desktop, start the window with  build/release/talsk $demo"
echo "(it asks for the key of talsk-keyed.btn: тальск)."
