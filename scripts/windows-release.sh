# Where the Windows files are made; sourced by scripts/windows.sh and
# scripts/test-windows.sh, not run. They are built with Debian 13's Qt 6.8 (a
# long-term release), its MinGW-w64, and tested with its Wine 10. On another
# release, on_windows_release runs the calling script in the Debian 13 tree
# that make test-debian13 keeps, with the checkout's Windows build folders
# mounted there, so that what it makes lands where it always did; it prints
# the script's output with the tree's paths as this machine's, and exits with
# the script's status. On Debian 13 it returns and the script goes on here.
on_windows_release() {
    local script=$1
    shift
    . /etc/os-release
    [ "${VERSION_ID:-}" != 13 ] || return 0
    echo "Running $script in the Debian 13 tree (Qt 6.8, MinGW-w64 and Wine of Debian 13)"
    local status=0
    PINNUVO_DEBIAN13_MOUNT="build-windows build-windows-tests" \
        "$source_dir/scripts/test-debian13.sh" "$script" "$@" |
        sed -u -e "s|/root/pinnuvo/|$source_dir/|g" -e '/^Debian 13: the command /d' ||
        status=$?
    exit "$status"
}

# Configures the build folder $1 with the Qt for Windows in $2, and the
# further CMake options given; a folder configured before from another place
# or with another Qt (the Debian 12 one, say) starts afresh.
configure_windows_build() {
    local build=$1 qt=$2
    shift 2
    if [ -f "$build/CMakeCache.txt" ] &&
        ! { grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$source_dir" "$build/CMakeCache.txt" &&
            grep -qF "$qt/" "$build/CMakeCache.txt"; }; then
        rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
    fi
    "$qt/bin/qt-cmake" -S "$source_dir" -B "$build" -G Ninja \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$source_dir/packaging/windows/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DPINNUVO_BENCHMARKS=OFF "$@" >"$build/configure.log" 2>&1 || {
        tail -n 30 "$build/configure.log" >&2
        echo "Configuring the Windows build in $build failed; the log is $build/configure.log" >&2
        exit 1
    }
}
