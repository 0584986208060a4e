# Debian trees made once with debootstrap and kept in a cache folder outside
# the checkout, for the tests that run on another Debian release or
# architecture; sourced, not run. Needs root.

# Takes the cache folder $1 for this script alone, waiting while another run
# uses it; the lock goes when the script ends.
lock_cache() {
    mkdir -p "$1"
    exec 9>"$1/lock"
    if ! flock -n 9; then
        echo "Another run is using $1; waiting for it." >&2
        flock 9
    fi
}

# Makes the tree $1/tree, unless it is there, with debootstrap's minbase
# variant of the suite $2, passing the options that follow to debootstrap.
# Made aside and moved in place when whole, so an interrupted run leaves
# nothing that a later one would take for a tree.
make_tree() {
    local cache=$1 suite=$2
    shift 2
    if [ -d "$cache/tree" ]; then
        echo "Reusing the $suite tree in $cache/tree"
        return
    fi
    for tool in debootstrap unshare; do
        command -v "$tool" >/dev/null || {
            echo "Installing debootstrap"
            DEBIAN_FRONTEND=noninteractive apt-get update -qq
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
                debootstrap util-linux
            break
        }
    done
    echo "Making a tree of Debian's $suite in $cache/tree (once; later runs reuse it)"
    rm -rf "$cache/tree.new"
    debootstrap --variant=minbase "$@" "$suite" "$cache/tree.new" http://deb.debian.org/debian \
        >"$cache/debootstrap.log" 2>&1 || {
        tail -n 20 "$cache/debootstrap.log" >&2
        echo "debootstrap failed; its log is $cache/debootstrap.log" >&2
        return 1
    }
    mv "$cache/tree.new" "$cache/tree"
}

# Runs the command that follows $1 chrooted in the tree $1, with a clean
# environment (but for the NAME=VALUE words that may start the command), in
# mount and process namespaces of its own: whatever it mounts, and whatever it
# starts, goes when it ends, also when it fails or the run is interrupted.
# TREE_BINDS lists folders of this machine, as FROM:TO with TO inside the
# tree, that are bind-mounted first. Returns the command's status.
run_in_tree() {
    local tree=$1
    shift
    # The machine's name server, which may have changed since the tree was made.
    cp -L /etc/resolv.conf "$tree/etc/resolv.conf" 2>/dev/null || true
    # PID 1 of the new namespace is the shell below: when it ends, the kernel
    # ends every process left in the namespace, and the namespace's mounts go
    # with it. --kill-child ends that shell when unshare ends, which an
    # interrupt or a termination of this script brings about.
    unshare --mount --propagation private --pid --fork --kill-child --mount-proc="$tree/proc" \
        bash -c '
            set -e
            tree=$1 binds=$2
            shift 2
            mount -t tmpfs -o mode=1777,nosuid,nodev shm "$tree/dev/shm"
            mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$tree/dev/pts"
            for bind in $binds; do
                mkdir -p "${bind%%:*}" "$tree/${bind#*:}"
                mount --bind "${bind%%:*}" "$tree/${bind#*:}"
            done
            chroot "$tree" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
                PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
        ' run-in-tree "$tree" "${TREE_BINDS:-}" "$@" <&0 &
    local inside=$! status=0
    # unshare ignores SIGINT and SIGTERM while its child runs.
    trap 'kill -KILL "$inside" 2>/dev/null' INT TERM HUP
    wait "$inside" || status=$?
    # An interrupt ends the first wait early; the second waits for unshare itself.
    wait "$inside" 2>/dev/null || true
    trap - INT TERM HUP
    return "$status"
}
