#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source package, the
# same version as this machine's Qt, so that the host's moc, rcc and uic serve
# the cross build. Only what Pinnuvo and its tests use: Core, Gui, Widgets,
# Test, the Windows platform plugin and the Windows styles.
#
# The result is kept outside the checkout, in $PINNUVO_WINDOWS_CACHE (by
# default /var/cache/pinnuvo/windows), and reused. It counts as made only when
# the stamp written after the install names this version and these options: an
# interrupted build resumes from its build folder, and its half-made install is
# removed and made again.
#
# Prints the Qt prefix on its last line. Needs root (apt-get) unless the
# packages and the Qt build are already there.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
cache=${PINNUVO_WINDOWS_CACHE:-/var/cache/pinnuvo/windows}
toolchain=$source_dir/packaging/windows/mingw-w64-x86_64.cmake
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
upstream=${version%%+*}
upstream=${upstream%%-*}
prefix=$cache/qt-$upstream
build=$cache/qt-build-$upstream

# Every Qt feature the program does not use is off; the tablet events stay off
# because Debian's source leaves out the Wintab headers they need.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DQT_UNITY_BUILD=ON
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_sessionmanager=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_png=OFF -DFEATURE_system_zlib=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
)
stamp_text="qt6-base $version for x86_64-w64-mingw32: ${options[*]} $(sha256sum "$toolchain" | cut -c1-16)"
stamp=$prefix/.pinnuvo-complete

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_text" ]; then
    echo "Reusing Qt $upstream for Windows in $prefix"
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
exec 8>"$cache/qt.lock"
if ! flock -n 8; then
    echo "Another run is building Qt in $cache; waiting for it." >&2
    flock 8
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_text" ]; then
        echo "$prefix"
        exit 0
    fi
fi

# The source: a deb-src entry for this machine's own release on its own
# archive, in a sources list and package lists of our own, so that the
# system's apt configuration is left as it was.
sources=$cache/src
if [ ! -f "$sources/.unpacked-$version" ]; then
    . /etc/os-release
    archive=$(apt-get indextargets --format '$(REPO_URI)' "Codename: $VERSION_CODENAME" \
                  'Component: main' 'Identifier: Packages' 2>/dev/null | head -n 1)
    if [ -z "$archive" ]; then
        echo "No deb entry for $VERSION_CODENAME main in this machine's apt sources: Qt's source cannot be found." >&2
        exit 1
    fi
    apt_dir=$cache/apt
    mkdir -p "$apt_dir/lists/partial"
    echo "deb-src $archive $VERSION_CODENAME main" >"$apt_dir/sources.list"
    apt_options=(-o Dir::Etc::sourcelist="$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
                 -o Dir::State::Lists="$apt_dir/lists" -o APT::Get::List-Cleanup=0 -o APT::Sandbox::User=root)
    echo "Fetching the source of qt6-base $version from $archive"
    apt-get "${apt_options[@]}" update -qq
    rm -rf "$sources"
    mkdir -p "$sources"
    (cd "$sources" && apt-get "${apt_options[@]}" source --download-only -qq "qt6-base=$version")
    (cd "$sources" && dpkg-source --no-check -x ./*.dsc qt6-base >/dev/null)
    touch "$sources/.unpacked-$version"
fi

echo "Building Qt $upstream for Windows in $build (the first time takes about half an hour on two cores)"
cmake -S "$sources/qt6-base" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${options[@]}" >"$cache/qt-configure.log" 2>&1 || {
    tail -n 30 "$cache/qt-configure.log" >&2
    echo "Configuring Qt failed; the log is $cache/qt-configure.log" >&2
    exit 1
}
cmake --build "$build" -j "${JOBS:-$(nproc)}" >"$cache/qt-build.log" 2>&1 || {
    grep -m 20 -B 2 -A 10 'error' "$cache/qt-build.log" >&2 || tail -n 30 "$cache/qt-build.log" >&2
    echo "Building Qt failed; the log is $cache/qt-build.log" >&2
    exit 1
}
rm -rf "$prefix"
cmake --install "$build" >"$cache/qt-install.log" 2>&1
echo "$stamp_text" >"$stamp"
echo "$prefix"
