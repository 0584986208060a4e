#!/usr/bin/env bash
# Installs the build into a scratch prefix and validates what lands there: the
# program, the desktop entry, the icon in the hicolor theme and the metainfo.
set -euo pipefail
build=${1:?build folder}
id=${2:?application id}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
expect() {
    if [ -e "$prefix/$1" ]; then echo "installed: $1"; else echo "MISSING: $1"; status=1; fi
}
expect bin/pinnuvo
expect "share/applications/$id.desktop"
expect "share/metainfo/$id.metainfo.xml"
expect "share/icons/hicolor/32x32/apps/$id.png"
[ -x "$prefix/bin/pinnuvo" ] || { echo "bin/pinnuvo is not executable"; status=1; }

desktop-file-validate "$prefix/share/applications/$id.desktop" || status=1
grep -q '^Categories=.*Education;.*Math;' "$prefix/share/applications/$id.desktop" ||
    { echo "desktop entry lacks the Education and Math categories"; status=1; }
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || status=1

size=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/32x32/apps/$id.png" 2>/dev/null || echo unknown)
[ "$size" = "32x32" ] || { echo "icon is $size, not 32x32"; status=1; }

exit $status
