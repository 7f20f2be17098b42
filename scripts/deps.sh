#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail
packages=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-svg-dev qt6-translations-l10n fonts-dejavu-core
          libsqlite3-dev)
packages+=(appstream desktop-file-utils) # the menu entry's and AppStream file's tests
packages+=(shared-mime-info libglib2.0-bin python3) # the MIME type's test; CSV read back
packages+=(poppler-utils) # a printed list's text read back
"$(dirname "$0")/install_packages.sh" "${packages[@]}"
