#!/usr/bin/env bash
# Tests Pinnuvo for 64-bit Arm (Raspberry Pi OS, Debian arm64) on this amd64
# Debian machine, under qemu-user:
#   1. the Qt Test suites, cross-built in build-arm64-tests/ as the package is
#      (Release) and run by CTest through qemu on the offscreen platform. The
#      soak's walk is 20000 steps, not 200000: emulation is about ten times
#      slower than this machine, and 20000 is the shortest walk that must
#      still reach every state it counts. tst_leaks is left out: the memory
#      it measures is qemu's as well as the program's, and qemu's grows with
#      the code it has translated;
#   2. the arm64 package, made there as make deb-arm64 makes it: its name,
#      contents, Depends and lintian, and the program from its files on an
#      Xvfb, working a whole sun by keys (tests/packaging/check-deb.sh);
#   3. apt's simulation of installing it on Debian 12 arm64, the release it is
#      built against, from this machine's lists with nothing installed;
#   4. an install with apt in an arm64 Debian 13 tree, the base of today's
#      Raspberry Pi OS, and the installed program starting there on an Xvfb.
#      The tree is made once (while the suites run), by debootstrap through
#      qemu-user's binfmt handler, and kept in $PINNUVO_ARM64_CACHE (by default
#      /var/cache/pinnuvo/debian13-arm64) with the program's libraries
#      installed; the program itself is removed after each run.
# Ends with one line saying how it went. Needs root (dpkg, binfmt, chroot).
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
    echo "make test-arm64 needs root (dpkg, binfmt, chroot and mounts): run it as root or with sudo." >&2
    exit 1
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$source_dir/build-arm64-tests
cache=${PINNUVO_ARM64_CACHE:-/var/cache/pinnuvo/debian13-arm64}
jobs=${JOBS:-$(nproc)}
fail() {
    echo "FAIL: $*" >&2
    echo "arm64: the tests failed." >&2
    exit 1
}

"$source_dir/scripts/install-deps.sh" --arm64

# The arm64 programs of the tree run through qemu-user's binfmt handler, which
# must open its interpreter when registered (the F flag): the tree has no qemu.
binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
[ -e "$binfmt/qemu-aarch64" ] || update-binfmts --enable qemu-aarch64 >/dev/null 2>&1 || true
if ! grep -qx enabled "$binfmt/qemu-aarch64" 2>/dev/null ||
    ! grep -q '^flags: .*F' "$binfmt/qemu-aarch64"; then
    echo "FAIL: this machine cannot run arm64 programs in a chroot: qemu-user's binfmt handler" \
        "for aarch64 could not be registered in $binfmt (a container may forbid it)." \
        "The arm64 Debian 13 tree cannot be made or used here." >&2
    exit 1
fi

# The tree is made, the first time, while the suites build and run: that is
# mostly downloads, and qemu running dpkg on one core.
source "$source_dir/scripts/debian-tree.sh"
lock_cache "$cache"
tree=$cache/tree
make_tree "$cache" trixie --arch=arm64 >"$cache/make-tree.log" 2>&1 &
tree_maker=$!

# --- 1. and 2. The suites and the package -----------------------------------

echo "Building the Qt Test suites for arm64 in $build"
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPINNUVO_BENCHMARKS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/packaging/aarch64-linux-gnu.cmake" >/dev/null
cmake --build "$build" -j "$jobs"
echo "Running them, and the package's check, under qemu-user"
(cd "$build" && PINNUVO_SOAK_STEPS=20000 ctest --output-on-failure -j "$jobs" -R '^(tst_.*|packaging_deb)$' -E '^tst_leaks$') ||
    fail "a suite failed under emulation"
debs=("$build"/tests/packaging/deb-release/pinnuvo_*_arm64.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "the package's check left no arm64 package"

# --- 3. Debian 12 arm64, simulated ------------------------------------------

echo "Simulating the install of $(basename "$deb") on Debian 12 arm64"
: >"$build/nothing-installed"
apt-get install -s -o APT::Architecture=arm64 -o APT::Architectures::=arm64 \
    -o Dir::State::status="$build/nothing-installed" "$deb" >"$build/debian12-arm64.txt" 2>&1 ||
    fail "apt cannot install the package on Debian 12 arm64: $(tail -n 20 "$build/debian12-arm64.txt")"
grep -q '^Inst pinnuvo ' "$build/debian12-arm64.txt" ||
    fail "apt's simulation did not install pinnuvo: $(tail -n 20 "$build/debian12-arm64.txt")"
echo "ok: apt would install it, with $(grep -c '^Inst ' "$build/debian12-arm64.txt") packages in all"

# --- 4. Debian 13 arm64, for real --------------------------------------------

wait "$tree_maker" || fail "no arm64 Debian 13 tree: $(tail -n 5 "$cache/make-tree.log")"
cat "$cache/make-tree.log"
cp "$deb" "$tree/root/"
echo "Installing $(basename "$deb") with apt in the arm64 Debian 13 tree"
# The lists are brought up to date only when the install needs them.
install="apt-get install -y -qq --no-install-recommends /root/$(basename "$deb")"
run_in_tree "$tree" DEBIAN_FRONTEND=noninteractive /bin/bash -c "
    dpkg --configure -a && dpkg --purge pinnuvo >/dev/null &&
    { $install 2>/dev/null || { apt-get update -qq && $install; }; }" >"$cache/install.log" 2>&1 ||
    fail "apt did not install the package in the tree: $(tail -n 20 "$cache/install.log")"
echo "ok: apt installed it"

# The installed program, started as a menu starts it, reaches an X server of
# this machine through its abstract socket, which a chroot does not hide.
source "$source_dir/tests/xserver.sh"
open_session
start_xvfb "$work" || fail "no X server"
run_in_tree "$tree" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb HOME=/tmp pinnuvo >"$work/program.log" 2>&1 &
program_pid=$!
timeout 60 xdotool search --sync --onlyvisible --name '^Dorvala$' >/dev/null ||
    fail "the installed program showed no start window: $(cat "$work/program.log")"
echo "ok: the installed program showed its start window"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=
run_in_tree "$tree" dpkg --purge pinnuvo >/dev/null
rm -f "$tree/root/$(basename "$deb")"
echo "arm64: the Qt Test suites, the package and its installs passed."
