#!/bin/sh
# The MIME type of base files as a desktop sees it: the XML is accepted by
# update-mime-database, and a base file is known by its first bytes even
# without its ".btn" name, while other files are not taken for one.
# Usage: check_mime.sh MIME_XML DATA_DIR. Exit 77 (skipped) without the tools.
set -eu
xml=$1 data=$2
for tool in update-mime-database gio; do
    command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/mime/packages"
cp "$xml" "$tmp/mime/packages/talsk.xml"
# It notes that the folder is not searched; only a failure is worth showing.
out=$(update-mime-database "$tmp/mime" 2>&1) || { echo "$out"; exit 1; }
grep -q ':application/x-talsk-base:\*\.btn$' "$tmp/mime/globs2" || {
    echo "no *.btn glob"; exit 1; }
type_of() {
    XDG_DATA_HOME="$tmp" XDG_DATA_DIRS="$tmp:/usr/share" \
        gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p'
}
status=0
for base in base20.btn base20-keyed.btn; do
    cp "$data/$base" "$tmp/unnamed"
    got=$(type_of "$tmp/unnamed")
    [ "$got" = application/x-talsk-base ] || { echo "$base without its name: $got"; status=1; }
done
printf 'plain text\n' >"$tmp/notes"
got=$(type_of "$tmp/notes")
[ "$got" != application/x-talsk-base ] || { echo "a text file taken for a base file"; status=1; }
exit $status
