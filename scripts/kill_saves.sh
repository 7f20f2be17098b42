#!/usr/bin/env bash
# Kills saves written in place at random moments and checks what each left:
# the old file or the new one, never a damaged one.
#
#   scripts/kill_saves.sh TALSK_CLI [KILLS] [RESIDENTS]
#
# Two ways a save is written in place: a file with a second name (hard link),
# and a file in a folder its user may not write (run as user nobody, which
# needs root). Each kill runs `talsk-cli rekey` from a key to another one and
# sends SIGKILL after a random delay within the time a whole save takes; the
# file must then export, with the old key or the new one, exactly the records
# it had. Prints one line per way: kills, old, new, damaged; exits 1 when any
# file was damaged.
set -euo pipefail
cli=$(realpath "$1")
kills=${2:-80}
residents=${3:-400000}
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT

"$cli" demo "$work/src" --residents "$residents" --organizations 20000 --citycodes 100 >/dev/null
"$cli" export "$work/src/talsk.btn" | md5sum | cut -d' ' -f1 >"$work/records.md5"
records=$(cat "$work/records.md5")

as_user() { "$@"; }
if [ "$(id -u)" = 0 ]; then
    nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
else
    nobody() { echo "the unwritable folder needs root (to run as nobody)" >&2; return 1; }
fi

# Seconds a whole save takes, measured once per way.
timed() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}

check() { # RUNNER FILE -> old | new | damaged
    local runner=$1 file=$2
    if [ "$($runner "$cli" export --key старый "$file" 2>/dev/null | md5sum | cut -d' ' -f1)" = "$records" ]; then
        echo old
    elif [ "$($runner "$cli" export --key новый "$file" 2>/dev/null | md5sum | cut -d' ' -f1)" = "$records" ]; then
        echo new
    else
        echo damaged
    fi
}

run_way() { # NAME RUNNER SETUP
    local name=$1 runner=$2 setup=$3
    local old=0 new=0 damaged=0 micros i
    $setup
    micros=$(timed $runner "$cli" rekey "$file" --key старый --new-key новый)
    for ((i = 0; i < kills; i++)); do
        $setup
        $runner "$cli" rekey "$file" --key старый --new-key новый >/dev/null 2>&1 &
        local pid=$!
        sleep "$(awk -v m="$micros" -v r="$RANDOM" 'BEGIN { printf "%.6f", m * (r / 32767.0) / 1e6 }')"
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        case $(check "$runner" "$file") in
        old) old=$((old + 1)) ;;
        new) new=$((new + 1)) ;;
        *) damaged=$((damaged + 1)); cp "$file" "$work/damaged-$name-$i.btn" ;;
        esac
    done
    printf '%s\tkills %d\told %d\tnew %d\tdamaged %d\t(a whole save: %d ms)\n' \
        "$name" "$kills" "$old" "$new" "$damaged" $((micros / 1000))
    [ "$damaged" = 0 ]
}

"$cli" rekey "$work/src/talsk.btn" --new-key старый >/dev/null
original=$work/original.btn
cp "$work/src/talsk.btn" "$original"

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
run_way "hard link" as_user linked_setup || status=1
if [ "$(id -u)" = 0 ]; then
    export XDG_DATA_HOME=$work/home HOME=$work/home
    run_way "unwritable folder" nobody locked_setup || status=1
fi
exit $status
