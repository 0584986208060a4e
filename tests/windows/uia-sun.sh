#!/usr/bin/env bash
# What a screen reader on Windows is told while a pupil works whole suns by
# keys: the portable program runs under Wine with tests/windows/uia-client.exe
# beside it, a UI Automation client that prints every focus change it receives
# with the element's name and description (as NVDA reads them). After each key
# the step's news must be in an element that a NEW focus change reached:
#   - 7 ENTER on the start window: "Vai" read with the chosen sun;
#   - each ray as it opens: a digit button read with the ray's sum
#     ("raggio 2 di 8: 7 più 3 uguale ?"), from which the result is worked out;
#   - each digit typed, the first and the second of a number: "Avanti" read
#     with the whole number so far ("Scritto 17.");
#   - the check after the eighth ray: the result to correct (one is typed wrong
#     on purpose, ray 3's);
#   - the correction, and the completed sun: "Nuovo sole" read with
#     "Sole completo: tutti e otto i risultati sono giusti";
#   - ENTER on "Nuovo sole": the next sun's first ray. Three suns in a row.
# A failed check prints what the client read at that step and what is focused
# after it, and the run goes on to the next step. Every wait is bounded. A
# failed run ends with status 3 when UI Automation froze, else 1.
#
# Needs Wine 10 or later: Wine 8 (Debian 12) freezes Qt's provider as soon as a
# client reaches a child element, so there the check stops, unrun (status 77).
#
# Usage: uia-sun.sh ZIP CLIENT_EXE [SUNS]
# In the Wine prefix (WINEPREFIX) and on the X display (DISPLAY) that
# scripts/test-windows.sh sets up; without them it makes its own Xvfb and a
# fresh prefix in a scratch folder.
set -euo pipefail

zip=$(readlink -f "${1:?usage: uia-sun.sh ZIP CLIENT_EXE [SUNS]}")
client=$(readlink -f "${2:?usage: uia-sun.sh ZIP CLIENT_EXE [SUNS]}")
suns=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../xserver.sh"
source "$here/wine.sh"

version=$("$wine_loader" --version 2>/dev/null || true)
major=$(sed -n 's/^wine-\([0-9]*\).*/\1/p' <<<"$version")
if [ -z "$major" ] || [ "$major" -lt 10 ]; then
    echo "uia-sun: not run: needs Wine 10 or later, this is ${version:-no Wine}" \
        "(Wine 8 freezes Qt's UI Automation provider when a client reaches a child element)" >&2
    exit 77
fi

open_session
client_pid=
own_prefix=
finish() {
    exec 5>&- 2>/dev/null || true
    # The client ends by itself once its input closes.
    [ -z "$client_pid" ] || kill "$client_pid" 2>/dev/null || true
    [ -z "$own_prefix" ] || wine_server -k 2>/dev/null || true
    end_session
}
trap finish EXIT
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    start_xvfb "$work"
    new_prefix "$work/prefix"
    own_prefix=1
fi

out=$work/client.out
failures=0
checks=0

# --- What the client read ----------------------------------------------------

focus_count() { grep -c $'^focus\t' "$out" || true; }
# The focus changes after the $1-th, one "name<TAB>description<TAB>new" a
# line, where new is 1 when the change reached another element than the one
# before it (by runtime id): a reader ignores a focus change to the element it
# already has.
focus_after() {
    awk -F'\t' -v n="$1" '$1 == "focus" { fresh = ($5 != last); last = $5; if ($2 > n) print $3 "\t" $4 "\t" fresh }' "$out"
}
# The description of the first focus change after the $1-th that reached a
# new element named $2 (an extended regular expression, whole name) whose
# description holds $3; fails when there is none.
reached() {
    focus_after "$1" | awk -F'\t' -v name="^($2)\$" -v text="$3" \
        '$3 == 1 && $1 ~ name && (text == "" || index($2, text)) { print $2; found = 1; exit } END { exit !found }'
}
# Waits up to $4 seconds (8 unless given) for such a focus change.
wait_reached() {
    local deadline=$((SECONDS + ${4:-8}))
    until reached "$1" "$2" "$3" >/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

lines() { grep -c "^$1"$'\t' "$out" || true; }
more_lines() { [ "$(lines "$1")" -gt "$2" ]; }
# The focused element now, as the client reads it when asked.
now_focused() {
    local before
    before=$(lines current)
    echo current >&5
    within 20 more_lines current "$before" || {
        touch "$work/frozen"
        echo "(the client did not answer)"
        return
    }
    grep $'^current\t' "$out" | tail -n 1 | awk -F'\t' '{ printf "\"%s\" \"%s\"", $3, $4 }'
}

# Ends a failed run: status 3 when UI Automation froze (the client's own call
# for the focused element got no answer), so that the caller can tell it from
# a step that was read wrong.
stop() {
    [ ! -e "$work/frozen" ] || exit 3
    exit 1
}

# --- Steps -----------------------------------------------------------------

pass() { checks=$((checks + 1)); echo "ok: $*"; }
fail_step() {
    local n0=$1
    shift
    checks=$((checks + 1))
    failures=$((failures + 1))
    echo "FAIL: $*"
    local changes
    changes=$(focus_after "$n0")
    if [ -z "$changes" ]; then
        echo "    no focus change reached the client at this step"
    else
        awk -F'\t' '{ printf "    focus change: \"%s\" \"%s\"%s\n", $1, $2, $3 == 1 ? "" : " (the element it already had)" }' <<<"$changes"
    fi
    echo "    focused after it: $(now_focused)"
}

# Types the keys $1 (xdotool's names) and checks that a new focus change
# reached an element named $2 (extended regular expression) read with $3;
# $4 says what the step is. Sets $said to the description it found.
step() {
    local n0
    n0=$(focus_count)
    # shellcheck disable=SC2086
    xdotool key --delay 150 $1
    if wait_reached "$n0" "$2" "$3"; then
        said=$(reached "$n0" "$2" "$3")
        pass "$4: a new focus on ${2/#\[0-9\]/a digit}${3:+ says \"$3\"}"
    else
        said=
        fail_step "$n0" "$4: no new focus on ${2/#\[0-9\]/a digit}${3:+ said \"$3\"}"
        kill -0 "$program_pid" 2>/dev/null || { echo "FAIL: the program has ended"; exit 1; }
    fi
}

# Types the number $1, digit by digit, each checked on "Avanti"; $2 says what.
type_number() {
    local i
    for ((i = 1; i <= ${#1}; i++)); do
        step "${1:i-1:1}" 'Avanti' "Scritto ${1:0:i}." "$2, digit $i of $1"
    done
}

# The second addend of ray $1, from the ray's own description ($read), or
# nothing when it was not read.
addend() { sed -n "s/.*raggio $1 di 8: 7 più \\([0-9]*\\) uguale ?.*/\\1/p" <<<"$said" | head -n 1; }

# One sun, from its first ray open (its description in $said).
work_sun() {
    local sun=$1 ray k result wrong_k
    declare -A addends=()
    for ray in 1 2 3 4 5 6 7 8; do
        k=$(addend "$ray")
        # A ray not read: its sum from the focused element, so that the sun
        # can be worked on; the failure is already counted.
        if [ -z "$k" ]; then
            said=$(now_focused)
            k=$(addend "$ray")
        fi
        [ -n "$k" ] || { echo "FAIL: sun $sun: the sum of ray $ray could not be read; stopping"; stop; }
        addends[$ray]=$k
        result=$((7 + k))
        [ "$ray" -ne 3 ] || result=$((result + 1))  # wrong on purpose
        type_number "$result" "sun $sun, ray $ray"
        if [ "$ray" -lt 8 ]; then
            step Return '[0-9]' "raggio $((ray + 1)) di 8: 7 più " "sun $sun, ENTER on Avanti opens ray $((ray + 1))"
        fi
    done
    wrong_k=${addends[3]}
    step Return '[0-9]' "1 risultato da correggere: raggio 3, 7 più $wrong_k" \
        "sun $sun, ENTER on Avanti after ray 8 checks the results"
    type_number "$((7 + wrong_k))" "sun $sun, correcting ray 3"
    step Return 'Nuovo sole' "Sole completo: tutti e otto i risultati sono giusti" \
        "sun $sun, ENTER on Avanti after the correction completes the sun"
}

# --- The run ---------------------------------------------------------------

mkdir "$work/stick"
(cd "$work/stick" && unzip -q "$zip")
folder=$work/stick/Pinnuvo
[ -f "$folder/Pinnuvo.exe" ] || { echo "FAIL: the zip holds no Pinnuvo/Pinnuvo.exe"; exit 1; }
(cd "$folder" && exec "$wine_loader" Pinnuvo.exe) >"$work/program.log" 2>&1 &
program_pid=$!
start=$(timeout 60 xdotool search --sync --onlyvisible --name '^Dorvala$' | head -n 1) ||
    { echo "FAIL: the start window, Dorvala, did not appear"; exit 1; }

mkfifo "$work/client.in"
: >"$out"
"$wine_loader" "$client" <"$work/client.in" >"$out" 2>"$work/client.err" &
client_pid=$!
exec 5>"$work/client.in"
within 60 grep -q '^ready$' "$out" ||
    { echo "FAIL: the UI Automation client did not start: $(cat "$out" "$work/client.err")"; exit 1; }
echo "-- $version; the client listens; focused at the start: $(now_focused)"

xdotool windowfocus --sync "$start"
step 7 '7' '' "the start window, 7"
step Return 'Vai' "Sole del 7: apre l'esercizio con questo sole" "the start window, ENTER on 7"
step Return '[0-9]' "raggio 1 di 8: 7 più " "ENTER on Vai opens the exercise at ray 1"
timeout 20 xdotool search --sync --onlyvisible --name '^Form1$' >/dev/null ||
    { echo "FAIL: ENTER on Vai did not open the exercise window"; exit 1; }
for ((sun = 1; sun <= suns; sun++)); do
    echo "-- sun $sun"
    work_sun "$sun"
    if [ "$sun" -lt "$suns" ]; then
        step Return '[0-9]' "raggio 1 di 8: 7 più " "sun $sun, ENTER on Nuovo sole opens the next sun at ray 1"
    fi
done

echo "-- $((checks - failures)) of $checks checks passed; $(focus_count) focus changes reached the client"
[ "$failures" -eq 0 ] || stop
