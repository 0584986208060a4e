"""Keys held down for a second, with the X server repeating them as a pupil's
keyboard does: every held key acts once."""

import subprocess

from desktop import EXERCISE, START_CAPTIONS, WAIT, focused_buttons, main
from pupil import enabled, ink_width, keypad, wait_for_start


def server_repeats_held_keys(d):
    """Holding a key in a plain X client gives many presses, or these checks prove nothing."""
    log = open(f"{d.work}/xev.log", "w+")
    xev = subprocess.Popen(["xev", "-event", "keyboard", "-name", "repeat check"], env=d.env,
                           stdout=log, stderr=subprocess.STDOUT)
    try:
        search = ["xdotool", "search", "--onlyvisible", "--name", "^repeat check$"]
        ids = []
        d.wait_until("xev's window appears",
                     lambda: ids.extend(d.run(search, check=False).split()) or ids)
        d.xdotool("windowactivate", "--sync", ids[0])
        d.hold("x", 1.0)
        d.wait_until("xev has seen the key released",
                     lambda: "KeyRelease" in open(log.name).read().split("KeyPress")[-1])
    finally:
        xev.terminate()
        xev.wait(timeout=WAIT)
    presses = open(log.name).read().count("KeyPress event")
    assert presses >= 5, f"the X server does not repeat a held key ({presses} presses)"


def held_keys(d):
    server_repeats_held_keys(d)
    start = d.start_program()
    wait_for_start(d, start)

    # ENTER held on centre "0" chooses it once: the focus waits on "Vai", and
    # the repeats do not go on to press "Vai". The next key, 1, selects
    # "Ripristina" once every repeat before it has been handled.
    d.hold("Return")
    d.key("1")
    d.wait_for('"Ripristina" has the focus after the held ENTER',
               lambda s: focused_buttons(s, start, START_CAPTIONS) == ["Ripristina"])
    assert not d.window_exists(EXERCISE), "the held ENTER went on to press \"Vai\""

    d.key("0", "Return")
    ex = d.window(EXERCISE)
    d.wait_until("the exercise window is active", ex.active)
    d.wait_for('"0" has the focus on the keypad', lambda s: keypad(s, ex)[0] == ["0"])

    # SPACE held on "0" moves the focus to "1" only; ENTER then types a 1 there.
    d.hold("space")
    d.key("Return")
    d.wait_for('the held SPACE moves the focus to "1" only, where ENTER types a 1 and enables '
               '"Avanti"', lambda s: enabled(s, ex, "Avanti"))
    shot = d.screenshot()
    assert keypad(shot, ex)[0] == ["1"], f"the held SPACE moved the focus to {keypad(shot, ex)[0]}"

    # A digit held enters one digit: "3" alone is half as wide as "34".
    d.key("c")
    d.wait_for('C erases the 1 and disables "Avanti"', lambda s: not enabled(s, ex, "Avanti"))
    d.hold("3")
    d.key("space")  # from "Avanti" back round to "0", once the repeats are handled
    shot = d.wait_for('"0" has the focus after the held 3', lambda s: keypad(s, ex)[0] == ["0"])
    one = ink_width(shot, ex.rect("lblRisultato(0)"))
    d.key("4")
    shot = d.wait_for('4 moves the focus to "Avanti"', lambda s: keypad(s, ex)[0] == ["Avanti"])
    two = ink_width(shot, ex.rect("lblRisultato(0)"))
    assert 0 < one and two > 1.5 * one, \
        f"the held 3 entered more than one digit ({one} columns, then {two} with the 4)"

    # ENTER held on "Avanti" moves on by one ray: ray 1 shows "?", and the
    # repeats on "1", where the focus went, type nothing into it.
    d.hold("Return")
    d.key("space")
    shot = d.wait_for('"2" has the focus after the held ENTER', lambda s: keypad(s, ex)[0] == ["2"])
    assert not enabled(shot, ex, "Avanti"), "the held ENTER typed into ray 1"
    assert ink_width(shot, ex.rect("lblRisultato(1)")) > 0, "ray 1 shows no \"?\""
    assert ink_width(shot, ex.rect("lblRisultato(2)")) == 0, "the held ENTER moved on by two rays"


if __name__ == "__main__":
    main({"held_keys": held_keys})
