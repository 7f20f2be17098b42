#!/bin/bash
# Runs every example of a manual page as written, line by line in one shell,
# in a fresh home with the built talsk-cli first on PATH. A line fails the
# test when it exits non-zero or prints anything on standard error.
# Usage: man_examples.sh CLI_FOLDER PAGE
set -u
cli_folder=$(cd "$1" && pwd) page=$(realpath "$2")
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home PATH="$cli_folder:$PATH"
unset XDG_CONFIG_HOME XDG_DATA_HOME
cd "$home" || exit 1

# The lines between .nf and .fi of EXAMPLES, with roff's escapes undone.
examples=$(sed -n '/^\.SH EXAMPLES/,/^\.SH SEE/p' "$page" |
    sed -n '/^\.nf$/,/^\.fi$/p' | sed '/^\.nf$/d; /^\.fi$/d; s/\\-/-/g; s/\\\\/\\/g')
[ -n "$examples" ] || { echo "no examples in $page" >&2; exit 1; }

n=0
while IFS= read -r line <&3; do
    n=$((n + 1))
    echo "\$ $line"
    eval "$line" </dev/null >/dev/null 2>"$home/.err"
    status=$?
    if [ "$status" -ne 0 ] || [ -s "$home/.err" ]; then
        cat "$home/.err" >&2
        echo "example $n exits $status: $line" >&2
        exit 1
    fi
done 3<<<"$examples"
echo "$n examples ran"
