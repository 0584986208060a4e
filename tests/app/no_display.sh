#!/usr/bin/env bash
# Without a reachable display the program, and `make run` through scripts/run.sh,
# print one line that says how to run it under xvfb-run, and fail.
set -uo pipefail
program=${1:?path to pinnuvo}
run_script=${2:?path to scripts/run.sh}
failures=0

expect_one_line() {
    local what=$1; shift
    local output status
    output=$(timeout 30 env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" 2>&1)
    status=$?
    if [ "$status" -eq 0 ] || [ "$status" -eq 124 ]; then
        echo "FAIL [$what]: exit status $status"; failures=$((failures + 1)); return
    fi
    if [ "$(printf '%s\n' "$output" | wc -l)" -ne 1 ] || ! grep -q 'xvfb-run' <<<"$output"; then
        echo "FAIL [$what]: expected one line with the xvfb-run hint, got:"
        printf '%s\n' "$output"; failures=$((failures + 1)); return
    fi
    echo "ok [$what]: $output"
}

# A display number with no server behind it.
unused=:$((200 + RANDOM % 500))
while [ -e "/tmp/.X11-unix/X${unused#:}" ]; do unused=:$((${unused#:} + 1)); done

expect_one_line "program, DISPLAY unset" env -u DISPLAY "$program"
expect_one_line "program, DISPLAY unreachable" env DISPLAY="$unused" "$program"
expect_one_line "run.sh, DISPLAY unset" env -u DISPLAY bash "$run_script" "$program"

[ "$failures" -eq 0 ]
