#!/usr/bin/env bash
# Starts the real program in hostile conditions and checks that each time the
# same start window appears, that the settings file is only ever opened for
# reading, that nothing is created in the working directory, that "Esci"
# still ends the program with status 0 and that no process outlives it;
# without a session bus, nothing may appear under HOME. Run under xvfb-run
# (with -noreset) by CTest; every wait is bounded.
set -euo pipefail

program=$(readlink -f "${1:?path to pinnuvo}")
work=$(mktemp -d)
# Every process started here carries this mark, and so does whatever it starts.
export PINNUVO_HOSTILE_RUN=$work
pid=
# The processes of this run still alive (this shell was started before the mark).
ours() {
    env -u PINNUVO_HOSTILE_RUN sh -c \
        'grep -lzx "PINNUVO_HOSTILE_RUN=$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3' \
        - "$work" || true
}
cleanup() {
    [ -n "$pid" ] && kill -KILL -- "-$pid" 2>/dev/null || true
    kill -KILL $(ours) 2>/dev/null || true
    chmod -R u+rwx "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
scenarios=0
fail() { echo "FAIL [$scenario]: $*"; failures=$((failures + 1)); }

source "$(dirname "$0")/../xserver.sh"

shot() { import -window "$wid" "$work/$scenario.png" 2>/dev/null; }
# The curtains have opened all the way and the window stands still: no curtain
# pink is left, and the shot is painted (not one colour, as a window is before
# its first paint, which has no pink either) and alike to the one before.
curtains_open() {
    local last=$work/$scenario.png before=$work/$scenario.before.png
    [ ! -f "$last" ] || mv "$last" "$before"
    shot && [ "$(convert "$last" -alpha off -fill black +opaque '#FF80FF' \
        -format '%[fx:maxima.r]' info:)" = 0 ] &&
        [ "$(convert "$last" -format '%k' info:)" -gt 1 ] &&
        [ -f "$before" ] && [ "$(compare -metric AE "$before" "$last" null: 2>&1)" = 0 ]
}
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ]; }
gone() { ! kill -0 "$pid" 2>/dev/null; }

# Starts the program (in folder $1, created by the caller, with environment
# changes $2..; a folder "-" is removed after the shell has entered it), leaves
# the settled window in $work/$scenario.png and the trace in
# $work/$scenario.trace, and ends it with "Esci".
run_in() {
    local dir=$1; shift
    local before after status left
    # A failure is reported at once rather than after every other scenario.
    [ "$failures" -eq 0 ] || exit 1
    scenarios=$((scenarios + 1))
    if [ "$dir" = - ]; then
        dir=$work/$scenario
        mkdir "$dir"
        before="(gone)"
    else
        before=$(ls -A "$dir" 2>/dev/null || echo "(gone)")
    fi
    # In a session of its own, so that whatever it leaves behind can be ended.
    (cd "$dir" && { [ "$before" != "(gone)" ] || rmdir "$dir"; } &&
        exec setsid env "$@" strace -f -qq -e trace=open,openat,creat,mkdir,rename,unlink,truncate \
            -o "$work/$scenario.trace" "$program") &
    pid=$!
    if ! wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Dorvala$' | head -n 1) ||
        [ -z "$wid" ]; then
        fail "the start window did not appear"
    elif ! within 20 curtains_open; then
        fail "the curtains did not open"
    elif ! within 10 focused; then
        fail "the start window did not take the keyboard focus"
    else
        # ENTER chooses centre 0 and moves to "Vai"; SPACE twice reaches "Esci".
        xdotool key --delay 150 Return space space Return
        within 20 gone || fail "the program did not end after Esci"
    fi
    if ! gone; then
        kill -KILL -- "-$pid" 2>/dev/null || true
        within 10 gone || true
    fi
    status=0
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || fail "exit status $status"
    left=$(ours)
    if [ -n "$left" ]; then
        fail "left running: $(ps -o pid=,args= -p "$(echo $left | tr ' ' ,)")"
        kill -KILL $left 2>/dev/null || true
    fi
    after=$(ls -A "$dir" 2>/dev/null || echo "(gone)")
    [ "$before" = "$after" ] || fail "the working directory changed: '$before' -> '$after'"
    if grep -E 'ImpostazioniQo\.dat' "$work/$scenario.trace" | grep -E 'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|creat\(|unlink|rename|truncate'; then
        fail "the settings file was opened for writing or changed"
    fi
    if grep -E '^[0-9]+ +(open|openat)\(AT_FDCWD, "[^/]' "$work/$scenario.trace" | grep -E 'O_WRONLY|O_RDWR|O_CREAT'; then
        fail "a file was opened for writing in the working directory"
    fi
    grep -q 'ImpostazioniQo\.dat' "$work/$scenario.trace" || fail "the settings file was not probed"
}

same_window_as_baseline() {
    local differing
    differing=$(compare -metric AE "$work/baseline.png" "$work/$scenario.png" null: 2>&1 || true)
    [ "$differing" = "0" ] || fail "the start window differs from the usual one ($differing pixels)"
}

scenario=baseline;        mkdir "$work/$scenario"; run_in "$work/$scenario"
[ -f "$work/baseline.png" ] || { echo "no baseline screenshot"; exit 1; }

scenario=directory;       mkdir -p "$work/$scenario/ImpostazioniQo.dat"
run_in "$work/$scenario"; same_window_as_baseline

scenario=unreadable;      mkdir "$work/$scenario"; echo x > "$work/$scenario/ImpostazioniQo.dat"
chmod 000 "$work/$scenario/ImpostazioniQo.dat"; run_in "$work/$scenario"; same_window_as_baseline

scenario=pipe;            mkdir "$work/$scenario"; mkfifo "$work/$scenario/ImpostazioniQo.dat"
run_in "$work/$scenario"; same_window_as_baseline

scenario=gigabyte;        mkdir "$work/$scenario"; truncate -s 1G "$work/$scenario/ImpostazioniQo.dat"
run_in "$work/$scenario"; same_window_as_baseline

scenario=readonly;        mkdir "$work/$scenario"; chmod 555 "$work/$scenario"
run_in "$work/$scenario"; same_window_as_baseline

scenario=nohome;          mkdir "$work/$scenario"
run_in "$work/$scenario" -u HOME; same_window_as_baseline

# The folder is removed after the shell has entered it and before the program starts.
scenario=deleted;         run_in -; same_window_as_baseline

# No session bus (a kiosk login, a greeter, xvfb-run), with or without the
# tools D-Bus would start one with.
scenario=nobus;           mkdir "$work/$scenario" "$work/home"
run_in "$work/$scenario" -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR HOME="$work/home"
same_window_as_baseline
[ -z "$(ls -A "$work/home")" ] || fail "written under HOME: $(find "$work/home" -mindepth 1)"

echo "hostile start-up: $scenarios scenarios, $failures failures"
[ "$failures" -eq 0 ]
