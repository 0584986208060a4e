#!/usr/bin/env bash
# Starts the real program in hostile conditions and checks that each time the
# same start window appears, that the settings file is only ever opened for
# reading, that nothing is created in the working directory, and that "Esci"
# still ends the program with status 0. Run under xvfb-run by CTest.
set -euo pipefail

program=$(readlink -f "${1:?path to pinnuvo}")
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    chmod -R u+rwx "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

settle_seconds=2   # the curtains open in about a second
failures=0
fail() { echo "FAIL [$scenario]: $*"; failures=$((failures + 1)); }

# Runs the program in folder $1 (created by the caller) with environment changes
# $2..; leaves a screenshot in $work/$scenario.png and the trace in $work/$scenario.trace.
run_in() {
    local dir=$1; shift
    local before after wid status
    before=$(ls -A "$dir" 2>/dev/null || echo "(gone)")
    (cd "$dir" && exec env "$@" strace -f -qq -e trace=open,openat,creat,mkdir,rename,unlink,truncate \
        -o "$work/$scenario.trace" "$program") &
    pid=$!
    if ! wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Dorvala$' | head -n 1) || [ -z "$wid" ]; then
        fail "the start window did not appear"
        kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; pid=
        return
    fi
    sleep "$settle_seconds"
    import -window "$wid" "$work/$scenario.png"
    # ENTER chooses centre 0 and moves to "Vai"; SPACE twice reaches "Esci".
    xdotool key --delay 150 Return space space Return
    status=0
    timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end after Esci"
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || fail "exit status $status"
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

scenario=deleted;         mkdir "$work/$scenario"
# The folder is removed after the shell has entered it and before the program starts.
(
    cd "$work/$scenario" && rmdir "$work/$scenario" &&
        exec strace -f -qq -e trace=open,openat,creat -o "$work/$scenario.trace" "$program"
) &
pid=$!
if wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Dorvala$' | head -n 1) && [ -n "$wid" ]; then
    sleep "$settle_seconds"
    import -window "$wid" "$work/$scenario.png"
    same_window_as_baseline
    xdotool key --delay 150 Return space space Return
    status=0; wait "$pid" || status=$?; pid=
    [ "$status" -eq 0 ] || fail "exit status $status"
else
    fail "the start window did not appear"
fi

echo "hostile start-up: $((8 - failures)) of 8 scenarios without a failure"
[ "$failures" -eq 0 ]
