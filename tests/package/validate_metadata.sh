#!/usr/bin/env bash
# validate_metadata.sh DESKTOP METAINFO VERSION: the menu entry and the AppStream
# file as menus and software centres read them, and the AppStream file's newest
# release is VERSION. Exits 77 (skipped) when the validators are missing.
set -euo pipefail
desktop=$1 metainfo=$2 version=$3
missing=()
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "skipped: ${missing[*]} not installed (scripts/deps.sh installs them)"
    exit 77
fi
# It exits 0 after hints too; any remark counts.
remarks=$(desktop-file-validate "$desktop" 2>&1) || { echo "$remarks"; exit 1; }
if [ -n "$remarks" ]; then
    echo "$remarks"
    exit 1
fi
appstreamcli validate --no-net --pedantic --explain "$metainfo"
newest=$(grep -o -m1 '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
if [ "$newest" != "$version" ]; then
    echo "the newest release in $metainfo is '$newest', the program's version is '$version':"
    echo "the changelog needs an entry for $version"
    exit 1
fi
