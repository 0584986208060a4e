#!/usr/bin/env bash
# Starts the real program on its own Xvfb display and plays a short session
# with real key presses: 7 and ENTER choose the sun of 7, which is painted in
# Label1 and leaves the focus on "Vai"; ENTER there opens the exercise window;
# back on the start window, "Esci" reached by SPACE and confirmed with ENTER
# ends the program with status 0. Every wait is bounded.
set -euo pipefail

program=$(readlink -f "${1:?path to pinnuvo}")
source "$(dirname "$0")/../xserver.sh"
open_session

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Design sizes in pixels: the inner area, and Label1 within it.
inner_width=792
inner_height=554
label1="367x38+38+152"

start_xvfb "$work" || fail "no X server"
export QT_QPA_PLATFORM=xcb
echo "Xvfb on $DISPLAY"

(cd "$work" && exec "$program") 2>"$work/program.log" &
program_pid=$!

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Dorvala$' | head -n 1) ||
    fail "no window titled Dorvala appeared"
[ -n "$wid" ] || fail "no window titled Dorvala appeared"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" -eq "$inner_width" ] || fail "the start window is $WIDTH pixels wide, not $inner_width"
menu_height=$((HEIGHT - inner_height))

# Label1 as the pupil sees it, in $work/$1.png.
label_shot() {
    local size=${label1%%+*} offset=${label1#*+}
    local x=${offset%%+*} y=${offset#*+}
    import -window "$wid" -crop "${size}+${x}+$((y + menu_height))" +repage "$work/$1.png"
}
same() { [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1)" = "0" ]; }
differs() { ! same "$@"; }
settled() {
    label_shot settled_b
    same settled_a settled_b || { mv "$work/settled_b.png" "$work/settled_a.png"; return 1; }
}
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# The program asks for the focus itself: no window manager gives it here.
within 10 focused "$wid" || fail "the start window did not take the keyboard focus"
# The curtains open over the window first; wait for Label1 to stay still.
label_shot settled_a
within 30 settled || fail "the start window never settled"
cp "$work/settled_a.png" "$work/before.png"

xdotool key 7
xdotool key Return
within 10 eval 'label_shot chosen && differs before chosen' ||
    fail "Label1 did not change after 7 and ENTER"
echo "ok: 7 and ENTER painted the sun's name in Label1"

# The choice left the focus on "Vai": ENTER opens the exercise window.
xdotool key Return
timeout 10 xdotool search --sync --onlyvisible --name '^Form1$' >/dev/null ||
    fail "ENTER after the choice did not open the exercise window"
echo "ok: ENTER on Vai opened the exercise window"

# Back to the start window (the exercise window lies over it), which puts the
# focus on centre "0". Its centres
# ignore one key after a choice made with ENTER (that ENTER was released on
# "Vai"), so the first ENTER only clears that, and the second chooses 0.
xdotool windowraise "$wid" windowfocus --sync "$wid"
within 10 focused "$wid" || fail "the start window did not take the focus back"
xdotool key --delay 100 Return Return
within 10 eval 'label_shot zero && differs chosen zero' ||
    fail "ENTER on the start window after coming back did not choose 0"
xdotool key --delay 100 space space Return

program_ends 10 || fail "the program did not end after Esci"
[ "$program_status" -eq 0 ] || fail "the program ended with status $program_status: $(cat "$work/program.log")"
echo "ok: Esci by SPACE, SPACE and ENTER ended the program with status 0"
