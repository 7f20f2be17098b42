#!/usr/bin/env bash
# check_deb.sh DEB VERSION: the package as Debian's checker, a menu and a
# software centre see it, unpacked into a scratch root, where the installed
# programs print VERSION and the tool writes the demo files and reads them back.
# Where each file goes is install_layout's test; the package uses the same rules.
set -euo pipefail
deb=$1 version=$2
here=$(dirname "$0")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || {
    echo "package version $(dpkg-deb -f "$deb" Version), expected $version"
    exit 1
}
# Found by dpkg-shlibdeps from the binaries: at least the C++ and Qt libraries.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libstdc++6 libqt6widgets6; do
    case "$depends" in *"$library"*) ;; *) echo "Depends lacks $library: $depends"; exit 1 ;; esac
done

# Qt's own texts stay Russian unless recommendations are left out on purpose.
case "$(dpkg-deb -f "$deb" Recommends)" in
*qt6-translations-l10n*) ;;
*) echo "Recommends lacks qt6-translations-l10n"; exit 1 ;;
esac

echo "== lintian"
lintian --fail-on error,warning --info "$deb"

dpkg-deb -x "$deb" "$root"
echo "== menu entry and AppStream file"
"$here/validate_metadata.sh" "$root/usr/share/applications/talsk.desktop" \
    "$root/usr/share/metainfo/ru.talsk.talsk.metainfo.xml" "$version"

echo "== the installed programs"
for program in talsk talsk-cli; do
    said=$("$root/usr/bin/$program" --version)
    [ "$said" = "$program $version" ] || { echo "$program --version: '$said'"; exit 1; }
    echo "$said"
done
mkdir "$root/demo"
"$root/usr/bin/talsk-cli" demo "$root/demo"
"$root/usr/bin/talsk-cli" info "$root/demo/talsk.btn"
"$root/usr/bin/talsk-cli" info --key тальск "$root/demo/talsk-keyed.btn"
echo "package checked: $deb"
