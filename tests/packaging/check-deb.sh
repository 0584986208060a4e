#!/usr/bin/env bash
# Builds the Debian package as `make deb` does (in a Release tree of its own),
# for this machine's architecture or for ARCH (arm64, say), checks its name,
# Depends and contents and runs lintian on it, then extracts it into a scratch
# folder and starts the extracted program on its own Xvfb display (under
# qemu-user for another architecture): 7 ENTER ENTER opens the exercise, a
# whole sun is worked by keys, closing both windows ends the program with
# status 0, and nothing has been written in its home. Nothing is installed on
# this machine.
set -euo pipefail
source_dir=${1:?source folder}
deb_build=${2:?folder for the Release build of the package}
id=${3:?application id}
version=${4:?project version}
arch=${5:-$(dpkg --print-architecture)}

source "$(dirname "$0")/../xserver.sh"
source "$(dirname "$0")/../sun.sh"
open_session

status=0
problem() { echo "FAIL: $*" >&2; status=1; }
fatal() { echo "FAIL: $*" >&2; exit 1; }


bash "$source_dir/packaging/build-deb.sh" "$deb_build" "$arch" | tee "$work/build.log" || fatal "the package did not build"
deb=$(tail -n 1 "$work/build.log")
[ -f "$deb" ] || fatal "the package build did not name a package"
echo "package: $deb"

# Named in Debian's way, with the project's version.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || problem "the package's version is $(field Version), not $version"
[ "$(field Architecture)" = "$arch" ] || problem "the package is for $(field Architecture), not $arch"
expected_name="$(field Package)_$(field Version)_$(field Architecture).deb"
[ "$(basename "$deb")" = "$expected_name" ] || problem "the package is named $(basename "$deb"), not $expected_name"

# Depends: the fonts, and the package that holds each library the program
# links on this machine, whatever this release names it (Debian 13 renamed
# the Qt libraries' packages); nothing only a developer needs.
depends=$(field Depends)
echo "Depends: $depends"
depended=" $(echo "$depends" | tr ',|' '\n\n' | sed 's/(.*//; s/:.*//' | xargs) "
needed=(fonts-liberation2)
root=$work/root
dpkg-deb -x "$deb" "$root"
multiarch=$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH 2>/dev/null)
for soname in $("$multiarch-objdump" -p "$root/usr/bin/pinnuvo" | awk '$1 == "NEEDED" { print $2 }'); do
    owner=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | sed -n 's/^\([^:,]*\).*/\1/p' | head -n 1)
    [ -n "$owner" ] || { problem "no installed package holds $soname"; continue; }
    needed+=("$owner")
done
for package in "${needed[@]}"; do
    [[ "$depended" == *" $package "* ]] || problem "Depends lacks $package"
done
[[ " ${needed[*]} " == *" libqt6widgets6"* ]] || problem "the program links no Qt Widgets library"
[[ "$depends" != *-dev* ]] || problem "Depends names a development package"

lintian --fail-on error,warning --display-info "$deb" 2>"$work/lintian.log" || {
    cat "$work/lintian.log" >&2
    problem "lintian found errors or warnings"
}

# Exactly these files, all under /usr.
expected_files=(
    usr/bin/pinnuvo
    "usr/share/applications/$id.desktop"
    usr/share/doc/pinnuvo/changelog.gz
    usr/share/doc/pinnuvo/copyright
    "usr/share/icons/hicolor/128x128/apps/$id.png"
    "usr/share/icons/hicolor/32x32/apps/$id.png"
    "usr/share/metainfo/$id.metainfo.xml"
    usr/share/man/man1/pinnuvo.1.gz
)
files=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[ "$files" = "$(printf '%s\n' "${expected_files[@]}" | LC_ALL=C sort)" ] ||
    problem "the package holds other files than expected:
$(diff <(printf '%s\n' "${expected_files[@]}" | LC_ALL=C sort) <(echo "$files") || true)"

desktop-file-validate "$root/usr/share/applications/$id.desktop" || problem "the desktop entry is not valid"
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    problem "the metainfo is not valid: $(cat "$work/appstream.log")"
for side in 32 128; do
    icon="$root/usr/share/icons/hicolor/${side}x${side}/apps/$id.png"
    size=$(identify -format '%wx%h' "$icon" 2>/dev/null || echo unreadable)
    [ "$size" = "${side}x${side}" ] || problem "the ${side}x${side} icon is $size"
done

# The newest release the software centres show, and the newest changelog
# entry, are this version.
release=$(grep -o '<release [^>]*version="[^"]*"' "$metainfo" | head -n 1 | sed 's/.*version="\([^"]*\)"/\1/')
[ "$release" = "$version" ] || problem "the metainfo's newest release is '$release', not $version"
zcat "$root/usr/share/doc/pinnuvo/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
    problem "the changelog's newest entry is not version $version"
head -n 1 "$root/usr/share/doc/pinnuvo/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    problem "the copyright file is not in Debian's machine-readable format"

# The extracted program, from a folder of its own, with a home of its own.
emulator=()
[ "$arch" = "$(dpkg --print-architecture)" ] ||
    emulator=("qemu-$(dpkg-architecture -a"$arch" -qDEB_HOST_GNU_CPU 2>/dev/null)-static")
start_xvfb "$work" || fatal "no X server"
start_openbox "$work" || fatal "no window manager"
mkdir "$work/cwd" "$work/home"
(cd "$work/cwd" && HOME=$work/home QT_QPA_PLATFORM=xcb exec "${emulator[@]}" "$root/usr/bin/pinnuvo") \
    2>"$work/program.log" &
program_pid=$!
fail_program() { fatal "$*: $(cat "$work/program.log")"; }
start=$(timeout 60 xdotool search --sync --onlyvisible --name '^Dorvala$' | head -n 1) ||
    fail_program "the extracted program showed no start window"
echo "ok: the extracted program showed its start window"
open_sun_of_7 "$start" || fail_program "7 ENTER ENTER did not open the exercise window"
results=$(work_sun "$program_pid") || fail_program "no whole sun was answered by keys"
echo "ok: 7 ENTER ENTER opened the exercise, and a whole sun took $results results"

# The close key of the exercise window, then of the start window.
xdotool key alt+F4
within 20 eval '! xdotool search --onlyvisible --name "^Form1$" >/dev/null 2>&1' ||
    fail_program "ALT+F4 did not close the exercise window"
xdotool windowfocus --sync "$start" key alt+F4
program_ends 20 || fail_program "the program did not end when its windows were closed"
[ "$program_status" -eq 0 ] || fail_program "the program ended with status $program_status"
[ -z "$(ls -A "$work/home")" ] || problem "the program wrote in its home: $(cd "$work/home" && find . -mindepth 1)"
echo "ok: closing its windows ended the program with status 0"

exit $status
