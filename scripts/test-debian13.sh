#!/usr/bin/env bash
# Runs the whole suite (make test) on Debian 13 from this checkout, on any
# Debian machine: in a Debian 13 tree made once with debootstrap and kept in a
# cache folder outside the checkout ($PINNUVO_DEBIAN13_CACHE, by default
# /var/cache/pinnuvo/debian13), into which the checkout is copied afresh.
#
# The suite runs in mount and process namespaces of its own
# (scripts/debian-tree.sh): whatever it mounts, and whatever it starts, goes
# when it ends, also when a test fails or the run is interrupted. It reaches
# only Debian's package archive.
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
tree=$cache/tree
source "$source_dir/scripts/debian-tree.sh"
lock_cache "$cache"
make_tree "$cache" trixie

# The checkout as it stands (tracked and new files, without what git
# ignores, such as the build folders), copied afresh.
copy=$tree/root/pinnuvo
rm -rf "$copy"
mkdir -p "$copy"
(cd "$source_dir" &&
    comm -z -23 <(git ls-files -z --cached --others --exclude-standard | sort -z) \
        <(git ls-files -z --deleted | sort -z) |
    tar --null -T - -cf -) | tar -xf - -C "$copy"
binds=()
for folder in ${PINNUVO_DEBIAN13_MOUNT:-}; do
    binds+=("$source_dir/$folder:/root/pinnuvo/$folder")
done
# dpkg --configure -a finishes an install that an earlier run left half done
# when it was interrupted.
status=0
TREE_BINDS="${binds[*]}" run_in_tree "$tree" PINNUVO_WERROR="${PINNUVO_WERROR:-}" CI="${CI:-}" \
    /bin/bash -c 'dpkg --configure -a && cd /root/pinnuvo && scripts/install-deps.sh && "$@"' \
    bash "$@" || status=$?
if [ "$status" -eq 0 ]; then
    echo "Debian 13: $what passed."
else
    echo "Debian 13: $what failed (exit status $status); the copy it ran in is $copy." >&2
fi
exit "$status"
