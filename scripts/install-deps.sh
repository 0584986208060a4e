#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, if any
# is missing, or with arguments those packages instead; with --arm64, also
# those that building and testing for 64-bit Arm need. Uses sudo when not run
# as root.
set -euo pipefail

# Building (qt6-base-dev brings the platform plugins, offscreen included, and
# the OpenGL headers its CMake files ask for); the fonts the windows resolve
# Arial and MS Sans Serif to; the end-to-end and start-up tests under Xvfb;
# the packaging checks; the screen-reader test (AT-SPI over D-Bus, read from
# Debian's Python); the benchmarks. The Debian package (make deb): dpkg-dev
# for dpkg-shlibdeps, which CPack runs to work out the package's Depends from
# the binary; file, which CPack uses to find the binaries to hand it; lintian,
# which checks the package.
packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-liberation2
    xvfb xauth xdotool x11-utils x11-xkb-utils openbox imagemagick strace
    desktop-file-utils appstream
    dpkg-dev file lintian
    at-spi2-core dbus python3-gi gir1.2-atspi-2.0
    python3
    # Test dependencies, not the program's: the real screen reader the suite
    # listens to (tests/a11y/orca_sun.py), speaking through speech-dispatcher
    # and espeak-ng into ALSA's null device.
    orca speech-dispatcher speech-dispatcher-espeak-ng
)

# 64-bit Arm (make deb-arm64, make test-arm64): Debian's cross compiler and
# the arm64 Qt beside this machine's (multiarch: the arm64 architecture is
# added to dpkg first, and this machine's packages that the arm64 ones share
# files with are brought to the same version); qemu-user, whose binfmt
# handler also runs the arm64 programs of a chroot; debootstrap for the arm64
# tree.
arm64_packages=(
    crossbuild-essential-arm64 qt6-base-dev:arm64 libgl-dev:arm64
    qemu-user-static binfmt-support debootstrap
)

if [ "${1:-}" = --arm64 ]; then
    packages+=("${arm64_packages[@]}")
elif [ $# -gt 0 ]; then
    packages=("$@")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Missing packages: ${missing[*]}; run this as root, or install sudo, to install them." >&2
        exit 1
    fi
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
for package in "${missing[@]}"; do
    case $package in
    *:*) dpkg --print-foreign-architectures | grep -qx "${package#*:}" ||
        "${sudo[@]}" dpkg --add-architecture "${package#*:}" ;;
    esac
done
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
