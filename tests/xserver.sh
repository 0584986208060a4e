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

# Makes a scratch folder, $work, for a script that starts an X server and the
# program ($xvfb_pid, $program_pid): when the script ends, both are ended and
# the folder goes.
open_session() {
    work=$(mktemp -d)
    xvfb_pid=
    program_pid=
    trap end_session EXIT
}

end_session() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
