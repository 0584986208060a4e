# What the shell tests of the real program share; sourced, not run.

# Runs "$@" every 0.1 s until it succeeds, for at most $1 seconds.
within() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Starts an X server of its own, which never resets itself between clients,
# and points DISPLAY at it; its process is $xvfb_pid. $1 is a scratch folder,
# $2 the screen's size and depth if not 1280x1024x24.
start_xvfb() {
    Xvfb -displayfd 3 -noreset -screen 0 "${2:-1280x1024x24}" -nolisten tcp \
        3>"$1/display" 2>"$1/xvfb.log" &
    xvfb_pid=$!
    if ! within 20 test -s "$1/display"; then
        echo "Xvfb did not start: $(cat "$1/xvfb.log")" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$1/display")"
}

# Starts openbox on $DISPLAY ($wm_pid), its log in $1, and waits until it
# manages windows: it announces itself before it handles the first ones, and
# a window mapped in between stays unmanaged and unseen. It is ready once it
# has listed a probe window and let go of it again.
start_openbox() {
    openbox --sm-disable >"$1/openbox.log" 2>&1 &
    wm_pid=$!
    local attempt probe seen
    listed() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'window id # 0x'; }
    for attempt in 1 2 3; do
        xev -name "window manager probe" >/dev/null 2>&1 &
        probe=$!
        within 5 listed && seen=yes || seen=
        kill "$probe" 2>/dev/null
        wait "$probe" 2>/dev/null || true
        [ -z "$seen" ] || { within 10 eval '! listed'; return; }
    done
    echo "openbox shows no window: $(cat "$1/openbox.log")" >&2
    return 1
}

# Waits at most $1 seconds for the program ($program_pid) to end, and sets
# $program_status to its exit status; fails if it is still running.
program_ends() {
    within "$1" eval '! kill -0 "$program_pid" 2>/dev/null' || return 1
    program_status=0
    wait "$program_pid" || program_status=$?
    program_pid=
}

# Makes a scratch folder, $work, for a script that starts an X server, maybe
# openbox, and the program ($xvfb_pid, $wm_pid, $program_pid): when the
# script ends, they are ended and the folder goes.
open_session() {
    work=$(mktemp -d)
    xvfb_pid=
    wm_pid=
    program_pid=
    trap end_session EXIT
}

# A process that has ended already is no failure: under set -e a failed kill
# here would end the script with status 1, whatever it found.
end_session() {
    local pid
    for pid in "$program_pid" "$wm_pid" "$xvfb_pid"; do
        [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
