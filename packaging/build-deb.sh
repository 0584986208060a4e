#!/usr/bin/env bash
# Builds the Debian package from an optimised build of this tree and prints,
# last, the package's path.
#
# Usage: packaging/build-deb.sh [build folder] [architecture]
# The folder is build-deb unless given; the architecture is this machine's
# unless given. For another one (arm64), Debian's cross compiler builds with
# the CMake toolchain file named after its GNU type, in this folder, and the
# libraries the Depends are worked out from are that architecture's
# (dpkg-architecture sets the host architecture for dpkg-shlibdeps).
# JOBS sets how many compilers run at once (default: one per processor).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-build-deb}")
jobs=${JOBS:-$(nproc)}
arch=${2:-$(dpkg --print-architecture)}
gnu_type=$(dpkg-architecture -a"$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
as_host=(env CC="$gnu_type-gcc" dpkg-architecture -a"$arch" -f -c)
cross=()
if [ "$arch" != "$(dpkg --print-architecture)" ]; then
    cross=(-DCMAKE_TOOLCHAIN_FILE="$source_dir/packaging/$gnu_type.cmake"
        -DCPACK_DEBIAN_PACKAGE_ARCHITECTURE="$arch")
fi

# Debian's hardening flags, all of them (fortified functions, stack
# protector, read-only relocations, immediate binding), as dpkg-buildflags
# gives them; no -g, as no debug symbols are shipped. Asked from the source
# folder, which the file paths in the binary are made relative to.
flags() {
    (cd "$source_dir" && DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g \
        "${as_host[@]}" dpkg-buildflags --get "$1")
}
cxxflags="$(flags CPPFLAGS) $(flags CXXFLAGS)"
ldflags=$(flags LDFLAGS)

cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DPINNUVO_BENCHMARKS=OFF "${cross[@]}" \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$jobs"

# A package of an older version left in the folder would be taken for this one.
rm -f "$build"/pinnuvo_*.deb
if ! log=$(cd "$build" && "${as_host[@]}" cpack -G DEB 2>&1); then
    echo "$log" >&2
    exit 1
fi
packages=("$build"/pinnuvo_*.deb)
[ -e "${packages[0]}" ] || { echo "$log" >&2; echo "cpack made no package" >&2; exit 1; }
echo "The Debian package is ready:"
echo "${packages[0]}"
