"""Keys as the pupil's keyboard means them: a key is what it types, also
through the keymap of a program that types for the pupil; SHIFT, CTRL and ALT
leave a key what it is, the digit keys are digits on an Italian and a French
layout, and TAB's release puts the centres back to work after a choice."""

import os
import re

from desktop import EXERCISE, START_CAPTIONS, focused_buttons, main
from pupil import enabled, keypad, wait_for_start

# The top row's keycodes 10 to 19 as an on-screen keyboard's keymap may lay
# them out: ENTER, then digits in another order. ENTER is on no other key, so
# xdotool types it through keycode 10.
TYPING_PROGRAM_ROW = ["Return", "7", "9", "5", "0", "3", "1", "2", "4", "6"]


def load_typing_program_keymap(d):
    path = os.path.join(d.work, "typing-program.xkb")
    keymap = d.run(["xkbcomp", "-xkb", d.env["DISPLAY"], "-"])
    keymap = re.sub(r"key <RTRN>\s*\{.*?\};", "key <RTRN> { [ NoSymbol ] };", keymap, flags=re.S)
    for place, symbol in enumerate(TYPING_PROGRAM_ROW, start=1):
        keymap = re.sub(rf"key <AE{place:02d}>\s*\{{.*?\}};", f"key <AE{place:02d}> {{ [ {symbol} ] }};",
                        keymap, flags=re.S)
    with open(path, "w") as file:
        file.write(keymap)
    d.run(["xkbcomp", "-w", "0", path, d.env["DISPLAY"]])


def layouts(d):
    d.run(["setxkbmap", "it"])
    start = d.start_program()
    wait_for_start(d, start)

    def focus_after(keys, caption):
        d.key(*keys)
        d.wait_for(f'{" ".join(keys)} moves the focus to "{caption}"',
                   lambda s: focused_buttons(s, start, START_CAPTIONS) == [caption])

    # Each key is what it types, wherever the typing program put it.
    load_typing_program_keymap(d)
    focus_after(["7"], "7")
    focus_after(["3"], "3")
    focus_after(["Return"], "Vai")
    d.run(["setxkbmap", "it"])
    focus_after(["Tab", "2"], "2")

    # SHIFT+7 types "/" on this layout; CTRL+SPACE types a NUL.
    focus_after(["shift+7"], "7")
    focus_after(["ctrl+3"], "3")
    focus_after(["alt+5"], "5")
    focus_after(["ctrl+space"], "6")

    # The French top row types & é " ' ( - è _ ç à without SHIFT, and the
    # digits with it: both are the digits.
    d.run(["setxkbmap", "fr"])
    focus_after(["egrave"], "7")
    focus_after(["agrave"], "0")
    focus_after(["5", "Return"], "Vai")
    focus_after(["Tab", "7"], "7")
    focus_after(["shift+Return"], "Vai")
    d.key("shift+Return")
    ex = d.window(EXERCISE)
    d.wait_until("the exercise window is active", ex.active)
    d.key("eacute")
    d.wait_for('é types a 2 and moves the focus to "Avanti"',
               lambda s: keypad(s, ex)[0] == ["Avanti"] and enabled(s, ex, "Avanti"))


if __name__ == "__main__":
    main({"layouts": layouts})
