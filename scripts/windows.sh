#!/usr/bin/env bash
# Makes Pinnuvo for 64-bit Windows, on Debian, in build-windows/ (or $1):
#   Pinnuvo-<version>-win64.zip   the portable program: a folder that runs
#                                 from anywhere, a USB stick too, with nothing
#                                 installed on the machine
#   Pinnuvo-<version>-setup.exe   the installer, in Italian, for all users
# and prints their paths on its last two lines.
#
# Installs the Debian packages it needs (root, or sudo), builds Qt for Windows
# the first time with scripts/windows-qt.sh (kept outside the checkout and
# reused) and cross-compiles a Release build with that Qt's qt-cmake and
# Debian's MinGW-w64. PINNUVO_WERROR applies as in every other build. All of
# it happens on Debian 13, in the Debian 13 tree when this machine runs
# another release (scripts/windows-release.sh).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/scripts/windows-release.sh"
on_windows_release scripts/windows.sh "$@"
build=$(mkdir -p "${1:-$source_dir/build-windows}" && cd "${1:-$source_dir/build-windows}" && pwd)
cache=${PINNUVO_WINDOWS_CACHE:-/var/cache/pinnuvo/windows}
triple=x86_64-w64-mingw32

# What the Linux build needs (CMake, Ninja, Qt's host tools, ImageMagick for
# the icon), then the Windows ones: the MinGW-w64 compiler with POSIX threads
# (Qt's threads need them) and its runtime DLLs, which the program ships;
# MinGW-w64's headers and libwinpthread-1.dll; NSIS for the installer; zip;
# dpkg-dev, whose dpkg-source unpacks Qt's source.
"$source_dir/scripts/install-deps.sh"
"$source_dir/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev nsis zip dpkg-dev

# Qt for Windows; the script's last line is its prefix.
"$source_dir/scripts/windows-qt.sh" | tee "$build/qt-prefix.txt" | sed '$d'
qt=$(tail -n 1 "$build/qt-prefix.txt")
[ -x "$qt/bin/qt-cmake" ] || { echo "No Qt for Windows in $qt" >&2; exit 1; }
# The stamp reads "qt6-base <Debian version> for <target>: <options> <hash>".
qt_version=$(cut -d ' ' -f 2 "$qt/.pinnuvo-complete")
qt_options=$(sed 's/^[^:]*: //; s/ [0-9a-f]*$//' "$qt/.pinnuvo-complete")

echo "Building Pinnuvo for Windows in $build"
configure_windows_build "$build" "$qt" -DBUILD_TESTING=OFF
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target pinnuvo
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The portable folder: the program, the plugins Qt loads at run time (the
# Windows platform, its native style and the JPEG reader for the start
# window's picture) and every DLL these link that Windows does not have.
folder=$build/Pinnuvo
rm -rf "$folder"
mkdir -p "$folder"/{platforms,styles,imageformats,licenze}
cp "$build/src/Pinnuvo.exe" "$folder/"
cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
# The native style's plugin is qwindowsvistastyle.dll up to Qt 6.6 and
# qmodernwindowsstyle.dll (Vista and Windows 11) from 6.7.
cp "$qt"/plugins/styles/*.dll "$folder/styles/"
style_dlls=$(cd "$folder" && ls styles/*.dll | tr '\n' ' ' | sed 's/ $//')
cp "$qt/plugins/imageformats/qjpeg.dll" "$folder/imageformats/"

# A DLL is found in Qt's bin folder or where the compiler keeps its runtime;
# any other is Windows' own.
find_dll() {
    local found
    if [ -f "$qt/bin/$1" ]; then
        echo "$qt/bin/$1"
        return
    fi
    found=$($triple-g++-posix -print-file-name="$1")
    [ "$found" != "$1" ] && echo "$found"
    return 0
}
pending=("$folder"/*.exe "$folder"/*/*.dll)
while [ ${#pending[@]} -gt 0 ]; do
    binary=${pending[0]}
    pending=("${pending[@]:1}")
    while read -r dll; do
        [ -e "$folder/$dll" ] && continue
        path=$(find_dll "$dll")
        [ -n "$path" ] || continue
        cp "$path" "$folder/$dll"
        pending+=("$folder/$dll")
    done < <($triple-objdump -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p')
done
find "$folder" \( -name '*.exe' -o -name '*.dll' \) -exec $triple-strip --strip-all {} +

# The licences, with Windows line ends: the program's own; Qt's, the LGPL 3
# with the GPL 3 it builds on, and the copyright of everything in Qt's source
# (the libraries bundled into its DLLs among them); the MinGW-w64 runtime's.
qt_source=$cache/src/qt6-base
licence_text() {
    if [ -f "$qt_source/LICENSES/$1" ]; then cat "$qt_source/LICENSES/$1"; else cat "$2"; fi
}
crlf() { sed 's/\r*$/\r/' >"$folder/licenze/$1"; }
crlf Pinnuvo.txt <"$source_dir/packaging/copyright"
licence_text LGPL-3.0-only.txt /usr/share/common-licenses/LGPL-3 | crlf LGPL-3.0.txt
licence_text GPL-3.0-only.txt /usr/share/common-licenses/GPL-3 | crlf GPL-3.0.txt
if [ -f "$qt_source/debian/copyright" ]; then
    crlf Qt-copyright.txt <"$qt_source/debian/copyright"
else
    crlf Qt-copyright.txt </usr/share/doc/libqt6core6/copyright
fi
crlf Qt.txt <<EOF
Pinnuvo uses the Qt toolkit, version ${qt_version%%+*}, in the files
Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, platforms/qwindows.dll,
$style_dlls and imageformats/qjpeg.dll, under the GNU
Lesser General Public License version 3 (LGPL-3.0.txt, which adds to the
GNU General Public License version 3 in GPL-3.0.txt). They are built from
the source below with no change of ours. Pinnuvo uses Qt only through its
public interface, so you may replace these DLLs with your own build of Qt
$(echo "${qt_version%%+*}" | cut -d . -f 1,2) or of a later Qt 6 and Pinnuvo will run with it.

Their source code is Debian's source package qt6-base, version
$qt_version, which Debian's archive keeps; on a Debian machine with
deb-src entries, get it with

    apt-get source qt6-base=$qt_version

It was built for x86_64-w64-mingw32 with Debian's MinGW-w64 compiler,
$($triple-g++-posix -dumpfullversion) with POSIX threads, and these CMake options:

$(echo "$qt_options" | fold -s -w 72 | sed 's/ *$//; s/^/    /')

Qt-copyright.txt lists the copyright holders and licences of everything in
that source, including the libraries built into the DLLs (FreeType,
HarfBuzz, libjpeg, libpng, zlib, PCRE2 and others).
EOF
runtime_sources=$(dpkg-query -W -f='${source:Package} ${source:Version}\n' \
    gcc-mingw-w64-x86-64-posix-runtime mingw-w64-x86-64-dev | sort -u | sed 's/^/    /')
{
    cat <<EOF
libgcc_s_seh-1.dll and libstdc++-6.dll are GCC's runtime libraries, under the
GNU General Public License version 3 with the GCC Runtime Library Exception;
libwinpthread-1.dll is MinGW-w64's POSIX threads library, under the MIT
licence. They come from these Debian source packages:

$runtime_sources

whose copyright files follow.

EOF
    cat /usr/share/doc/gcc-mingw-w64-base/copyright
    echo
    cat /usr/share/doc/mingw-w64-common/copyright
} | crlf MinGW-w64.txt

zip=$build/Pinnuvo-$version-win64.zip
rm -f "$zip"
(cd "$build" && zip -q -r -X "$zip" Pinnuvo)

# The installer installs the same files: each is listed by name, so that the
# uninstaller removes those and no other.
files=$build/installer-files.nsh
{
    echo '!macro InstallFiles'
    find "$folder" -type d | sort | while read -r dir; do
        relative=${dir#"$folder"}
        echo "    SetOutPath \"\$INSTDIR${relative//\//\\}\""
        find "$dir" -maxdepth 1 -type f | sort | sed 's/.*/    File "&"/'
    done
    echo '!macroend'
    echo '!macro UninstallFiles'
    find "$folder" -type f | sort | while read -r file; do
        relative=${file#"$folder"}
        echo "    Delete \"\$INSTDIR${relative//\//\\}\""
    done
    find "$folder" -mindepth 1 -type d | sort -r | while read -r dir; do
        relative=${dir#"$folder"}
        echo "    RMDir \"\$INSTDIR${relative//\//\\}\""
    done
    echo '!macroend'
} >"$files"
setup=$build/Pinnuvo-$version-setup.exe
makensis -V2 -WX -DVERSION="$version" -DFILES="$files" \
    -DICON="$build/packaging/windows/pinnuvo.ico" \
    -DSIZE_KB="$(du -sk "$folder" | cut -f 1)" -DOUTFILE="$setup" \
    "$source_dir/packaging/windows/pinnuvo.nsi"

echo "Portable program (unzip anywhere, run Pinnuvo.exe) and installer:"
echo "$zip"
echo "$setup"
