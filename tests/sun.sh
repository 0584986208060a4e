# Working a whole sun by keys on the real exercise window, for the shell tests
# of the real program; sourced, not run. Needs ImageMagick and xdotool, $work
# (a scratch folder) and $form (the exercise window's X id) set.
#
# Only the colours of the result boxes are read: a wrong result is orange, and
# a completed sun blinks light yellow (FFFFC0), a colour the window shows at no
# other time.

shot() { import -window "$form" "$work/form.png" 2>/dev/null; }
# How many pixels of the colour $1 the last shot holds.
pixels() {
    convert "$work/form.png" -fill black +opaque "$1" -fill white -opaque "$1" \
        -format '%[fx:round(mean*w*h)]' info:
}
# Waits for the window to stand still (two shots alike), for at most 5 s: a
# key reaches the program some time after xdotool returns.
settle() {
    local deadline=$((SECONDS + 5))
    shot
    cp "$work/form.png" "$work/previous.png"
    while [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.2
        shot
        [ "$(compare -metric AE "$work/previous.png" "$work/form.png" null: 2>&1)" = 0 ] && return
        cp "$work/form.png" "$work/previous.png"
    done
}
# "done" once the completed sun blinks, else where the orange result box is.
sun_state() {
    settle
    if [ "$(pixels '#FF7300')" -eq 0 ] && [ "$(pixels '#FFFFC0')" -gt 0 ]; then
        echo "done"
    else
        convert "$work/form.png" -fill black +opaque '#FF7300' -format '%@' info:
    fi
}
# Types a result, then ENTER on "Avanti", where typing a digit put the focus.
answer() {
    # shellcheck disable=SC2046
    xdotool key --delay 80 $(grep -o . <<<"$1") Return
}

# From the start window $1, by keys, opens the exercise on the sun of 7 (7
# ENTER chooses it and leaves the focus on "Vai", ENTER opens it) and focuses
# it; sets $form. Fails if no exercise window shows within 30 s.
open_sun_of_7() {
    xdotool windowfocus --sync "$1"
    xdotool key --delay 300 7 Return
    sleep 0.5
    xdotool key Return
    form=$(timeout 30 xdotool search --sync --onlyvisible --name '^Form1$' | head -n 1) || return 1
    xdotool windowfocus --sync "$form"
}

# Answers the sun of 7 that the focused exercise window shows, by keys, until
# it is completed; prints how many results that took. Fails (status 1, with a
# reason on standard error) if the program $1 ends first or 200 tries do not
# complete it. Eight results, 8 to 17, come first; the check after the eighth
# finds the first wrong one and colours it orange. Then each try at the
# orange one either leaves it orange or moves the orange to the next wrong
# one (or ends the sun); the tries go round 8 to 17, from 8 again on each new
# ray.
work_sun() {
    local state guess=8 tries=0 new_state
    for _ in 1 2 3 4 5 6 7 8; do answer 8; done
    state=$(sun_state)
    while [ "$state" != "done" ]; do
        [ "$tries" -lt 200 ] || { echo "the sun was not completed after $tries tries" >&2; return 1; }
        kill -0 "$1" 2>/dev/null || { echo "the program ended while answering" >&2; return 1; }
        answer "$guess"
        tries=$((tries + 1))
        new_state=$(sun_state)
        if [ "$new_state" != "$state" ]; then
            guess=8
        else
            guess=$((guess == 17 ? 8 : guess + 1))
        fi
        state=$new_state
    done
    echo $((tries + 8))
}
