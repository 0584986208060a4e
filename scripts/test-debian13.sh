#!/usr/bin/env bash
# Runs the whole suite (make test) on Debian 13 from this checkout, on any
# Debian machine: in a Debian 13 tree made once with debootstrap and kept in a
# cache folder outside the checkout ($PINNUVO_DEBIAN13_CACHE, by default
# /var/cache/pinnuvo/debian13), into which the checkout is copied afresh.
#
# The suite runs in mount and process namespaces of its own: whatever it
# mounts, and whatever it starts, goes when it ends, also when a test fails
# or the run is interrupted. It reaches only Debian's package archive.
# PINNUVO_WERROR passes through to the build in the tree.
#
# Usage: scripts/test-debian13.sh [COMMAND...]
# With a command, runs that in the copy instead of make test (for example
# bash, for a shell on Debian 13 with everything the suite needs installed).
# PINNUVO_DEBIAN13_MOUNT names folders of this checkout (build-windows, say)
# that the copy uses in place of its own, so that what the command makes
# there stays in the checkout, where later runs build on it.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
    echo "make test-debian13 needs root (debootstrap, chroot and mounts): run it as root or with sudo." >&2
    exit 1
fi

what="the command $*"
[ $# -gt 0 ] || { set -- make test; what="the whole suite"; }
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cache=${PINNUVO_DEBIAN13_CACHE:-/var/cache/pinnuvo/debian13}
mirror=http://deb.debian.org/debian
tree=$cache/tree
mkdir -p "$cache"

# One run at a time uses the tree.
exec 9>"$cache/lock"
if ! flock -n 9; then
    echo "Another run is using $tree; waiting for it." >&2
    flock 9
fi

if [ ! -d "$tree" ]; then
    for tool in debootstrap unshare; do
        command -v "$tool" >/dev/null || {
            echo "Installing debootstrap"
            DEBIAN_FRONTEND=noninteractive apt-get update -qq
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
                debootstrap util-linux
            break
        }
    done
    echo "Making a Debian 13 tree in $tree (once; later runs reuse it)"
    # Made aside and moved in place when whole, so an interrupted run leaves
    # nothing that a later one would take for a tree.
    rm -rf "$tree.new"
    debootstrap --variant=minbase trixie "$tree.new" "$mirror" >"$cache/debootstrap.log" 2>&1 || {
        tail -n 20 "$cache/debootstrap.log" >&2
        echo "debootstrap failed; its log is $cache/debootstrap.log" >&2
        exit 1
    }
    mv "$tree.new" "$tree"
else
    echo "Reusing the Debian 13 tree in $tree"
fi

# The checkout as it stands (tracked and new files, without what git
# ignores, such as the build folders), copied afresh.
copy=$tree/root/pinnuvo
rm -rf "$copy"
mkdir -p "$copy"
(cd "$source_dir" &&
    comm -z -23 <(git ls-files -z --cached --others --exclude-standard | sort -z) \
        <(git ls-files -z --deleted | sort -z) |
    tar --null -T - -cf -) | tar -xf - -C "$copy"
# The machine's name server, which may have changed since the tree was made.
cp -L /etc/resolv.conf "$tree/etc/resolv.conf" 2>/dev/null || true

# PID 1 of the new namespace is the shell below: when it ends, the kernel ends
# every process left in the namespace, and the namespace's mounts go with it.
# --kill-child ends that shell when unshare ends, which an interrupt or a
# termination of this script brings about.
unshare --mount --propagation private --pid --fork --kill-child --mount-proc="$tree/proc" \
    bash -c '
        set -e
        tree=$1
        mount -t tmpfs -o mode=1777,nosuid,nodev shm "$tree/dev/shm"
        mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$tree/dev/pts"
        for folder in $4; do
            mkdir -p "$5/$folder" "$tree/root/pinnuvo/$folder"
            mount --bind "$5/$folder" "$tree/root/pinnuvo/$folder"
        done
        # dpkg --configure -a finishes an install that an earlier run left
        # half done when it was interrupted.
        chroot "$tree" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            PINNUVO_WERROR="$2" CI="$3" \
            /bin/bash -c "dpkg --configure -a && cd /root/pinnuvo && scripts/install-deps.sh && \"\$@\"" bash "${@:6}"
    ' test-debian13 "$tree" "${PINNUVO_WERROR:-}" "${CI:-}" "${PINNUVO_DEBIAN13_MOUNT:-}" "$source_dir" "$@" <&0 &
suite=$!
# unshare ignores SIGINT and SIGTERM while its child runs.
trap 'kill -KILL "$suite" 2>/dev/null' INT TERM HUP
status=0
wait "$suite" || status=$?
# An interrupt ends the first wait early; the second waits for unshare itself.
wait "$suite" 2>/dev/null || true
trap - INT TERM HUP
if [ "$status" -eq 0 ]; then
    echo "Debian 13: $what passed."
else
    echo "Debian 13: $what failed (exit status $status); the copy it ran in is $copy." >&2
fi
exit "$status"
