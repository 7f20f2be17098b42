#!/usr/bin/env bash
# Kills saves written in place at random moments and checks what each left:
# the old file or the new one, never a damaged one.
#
#   scripts/kill_saves.sh TALSK_CLI [KILLS] [RESIDENTS]
#
# Two ways a save is written in place: a file with a second name (hard link),
# and a file in a folder its user may not write (run as user nobody, which
# needs root). Each kill runs `talsk-cli import` of other, fewer records over
# the file and sends SIGKILL at a random moment: every other kill anywhere
# within the time a whole import takes, the others within 40 ms of the first
# change of the file (seen with inotifywait), where the save in place is under
# way. The file must then export exactly the old records or the new ones.
# Prints one line per way: kills, old, new, damaged; exits 1 when any file was
# damaged (kept as damaged-*.btn in the work folder, which then stays).
set -euo pipefail
cli=$(realpath "$1")
kills=${2:-80}
residents=${3:-400000}
command -v inotifywait >/dev/null || { echo "needs inotifywait (inotify-tools)" >&2; exit 2; }
work=$(mktemp -d)
chmod 755 "$work"

mkdir -p "$work/old" "$work/new"
"$cli" demo "$work/old" --residents "$residents" --organizations 20000 --citycodes 100 >/dev/null
"$cli" demo "$work/new" --residents $((residents * 2 / 3)) --organizations 9000 --citycodes 50 \
    --seed 7 >/dev/null
"$cli" export "$work/new/talsk.btn" >"$work/new.txt"
chmod 644 "$work/new.txt"
old_md5=$("$cli" export "$work/old/talsk.btn" | md5sum | cut -d' ' -f1)
new_md5=$(md5sum <"$work/new.txt" | cut -d' ' -f1)
original=$work/old/talsk.btn

# Runners are command prefixes, not functions: the process killed must be
# talsk-cli itself, not a shell around it.
as_user=env
nobody="setpriv --reuid=nobody --regid=nogroup --clear-groups"

import() { # RUNNER FILE
    exec $1 "$cli" import --force "$2" <"$work/new.txt" >/dev/null 2>&1
}

check() { # RUNNER FILE -> old | new | damaged
    case $($1 "$cli" export "$2" 2>/dev/null | md5sum | cut -d' ' -f1) in
    "$old_md5") echo old ;;
    "$new_md5") echo new ;;
    *) echo damaged ;;
    esac
}

run_way() { # NAME RUNNER SETUP
    local name=$1 runner=$2 setup=$3
    local old=0 new=0 damaged=0 i start micros
    $setup
    start=$(date +%s%N)
    (import "$runner" "$file") || true
    micros=$((($(date +%s%N) - start) / 1000))
    [ "$(check "$runner" "$file")" = new ] || { echo "$name: the import itself failed" >&2; return 1; }
    for ((i = 0; i < kills; i++)); do
        $setup
        local watcher=
        if ((i % 2)); then
            inotifywait -q -t 60 -e modify "$file" >/dev/null 2>&1 &
            watcher=$!
            sleep 0.05 # the watch is set up
        fi
        import "$runner" "$file" &
        local pid=$!
        if [ -n "$watcher" ]; then
            wait "$watcher" || true
            sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.6f", 0.04 * r / 32767.0 }')"
        else
            sleep "$(awk -v m="$micros" -v r="$RANDOM" 'BEGIN { printf "%.6f", m * r / 32767.0 / 1e6 }')"
        fi
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        case $(check "$runner" "$file") in
        old) old=$((old + 1)) ;;
        new) new=$((new + 1)) ;;
        *) damaged=$((damaged + 1)); cp "$file" "$work/damaged-${name// /-}-$i.btn" ;;
        esac
    done
    printf '%s\tkills %d\told %d\tnew %d\tdamaged %d\t(a whole import: %d ms)\n' \
        "$name" "$kills" "$old" "$new" "$damaged" $((micros / 1000))
    [ "$damaged" = 0 ]
}

linked_setup() {
    rm -rf "$work/linked"
    mkdir -p "$work/linked"
    file=$work/linked/talsk.btn
    cp "$original" "$file"
    ln "$file" "$work/linked/second-name.btn"
}

locked_setup() {
    rm -rf "$work/locked" "$work/home"
    mkdir -p "$work/locked" "$work/home"
    file=$work/locked/talsk.btn
    cp "$original" "$file"
    chmod 666 "$file"
    chmod 755 "$work/locked" # owned by root: nobody may not make files there
    chown nobody "$work/home"
}

status=0
run_way "hard link" "$as_user" linked_setup || status=1
if [ "$(id -u)" = 0 ]; then
    export XDG_DATA_HOME=$work/home HOME=$work/home
    run_way "unwritable folder" "$nobody" locked_setup || status=1
else
    echo "unwritable folder: left out (needs root, to run as nobody)" >&2
fi
if [ "$status" = 0 ]; then rm -rf "$work"; else echo "damaged files kept in $work" >&2; fi
exit $status
