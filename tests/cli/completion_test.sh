#!/bin/bash
# Runs the bash completion of talsk-cli as bash does at a Tab: it offers the
# commands and the options the built tool has, values where an option takes
# one of a few, and base files, tables or folders where those are due.
# Usage: completion_test.sh TALSK_CLI COMPLETION_SCRIPT
set -u
cli=$1
source "$2" || exit 1
complete -p talsk-cli >/dev/null || { echo "no completion for talsk-cli" >&2; exit 1; }

failures=0
# The words offered for a command line whose last word is being typed, sorted.
offered() {
    COMP_WORDS=(talsk-cli "$@")
    COMP_CWORD=$#
    COMP_LINE="talsk-cli $*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _talsk_cli
    ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
}
expect() { # WHAT EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "$1: expected '$2', offered '$3'" >&2
        failures=$((failures + 1))
    fi
}
sorted() { tr ' ' '\n' | sed '/^$/d' | sort -u | tr '\n' ' '; }

# Every command the tool lists, with help and version; "help" before a command.
commands=$("$cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\).*/\1/p')
expect "commands" "$(echo "$commands help --help --version" | sorted)" "$(offered '')"
expect "help COMMAND" "$(echo "$commands" | sorted)" "$(offered help '')"

# Each command's options are those of its --help.
for command in $commands; do
    options=$("$cli" "$command" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p; s/^  -h, \(--help\).*/\1/p')
    expect "$command options" "$(echo "$options" | sorted)" "$(offered "$command" --)"
done

expect "--tables" "city org pop pop+org " "$(offered search --tables '')"
expect "--to" "1.2 2.0 " "$(offered convert a.btn b.btn --to '')"
expect "--repeats" "phone same " "$(offered merge --repeats '')"
expect "--field" "name= " "$(offered search --field na)"

# Files by what the command reads.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
mkdir sub
touch a.btn B.BTN c.dbf notes.txt
expect "base files" "B.BTN a.btn sub " "$(offered info '')"
expect "after an option" "B.BTN a.btn sub " "$(offered export --key-file k '')"
expect "tables" "c.dbf sub " "$(offered dbf-info '')"
expect "dbf --population" "c.dbf sub " "$(offered dbf out.btn --population '')"
expect "folders" "sub " "$(offered demo '')"
expect "no completion of a key" "" "$(offered info --key '')"

[ "$failures" -eq 0 ] && echo "completion checked"
exit $((failures > 0))
