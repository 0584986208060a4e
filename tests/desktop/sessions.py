"""Whole sessions of the real program, each by one input way alone: from the
start window through a completed sun, and out again."""

from desktop import EXERCISE, START_CAPTIONS, focused_buttons, main
from pupil import (Keyboard, Mouse, Scanning, answer_sun, back_on_start, blink_phase, enabled,
                   ink_width, keypad, open_exercise, wait_for_new_sun, wait_for_start)


def keyboard(d):
    start = d.start_program()
    wait_for_start(d, start)
    way = Keyboard(d)
    d.key("5")
    d.wait_for('5 selects centre "5" without choosing it',
               lambda s: focused_buttons(s, start, START_CAPTIONS) == ["5"])
    # Centre 10 has no digit key: the numeric keypad's * selects it.
    ex = open_exercise(d, start, way, 10)
    answer_sun(d, ex, 10, way)
    way.nuovo_sole(ex)
    wait_for_new_sun(d, ex)
    # The keypad offers no way out during answer entry; the window's close key does.
    d.key("alt+F4")
    back_on_start(d, start)
    d.key("alt+F4")
    assert d.exit_status() == 0


def scanning(d):
    start = d.start_program()
    wait_for_start(d, start)
    way = Scanning(d)
    ex = open_exercise(d, start, way, 2)
    answer_sun(d, ex, 2, way)
    way.nuovo_sole(ex)
    wait_for_new_sun(d, ex)
    answer_sun(d, ex, 2, way)

    # "Esco": one SPACE from "Nuovo sole", then ENTER. Every blink tick puts
    # the focus back on "Nuovo sole", so both keys go just after a tick.
    def closed_or_new_sun():
        if not d.window_exists(EXERCISE):
            return True
        try:
            return enabled(d.screenshot(), ex, "0")
        except RuntimeError:  # the window went while it was being looked at
            return False

    for attempt in range(3):
        phase = blink_phase(d.wait_for("a blink phase", lambda s: blink_phase(s, ex)), ex)
        d.wait_for("the next blink tick", lambda s: blink_phase(s, ex) not in (None, phase))
        d.key("space", "Return")
        d.wait_until('"Esco" closes the exercise window, or a tick sent ENTER to "Nuovo sole"',
                     closed_or_new_sun)
        if not d.window_exists(EXERCISE):
            break
        answer_sun(d, ex, 2, way)
    back_on_start(d, start)

    # Scanning stays within a bank: a centre choice carries the focus to the commands.
    way.choose_centre(start, 1)
    d.wait_for('the choice moves the focus to "Vai"',
               lambda s: focused_buttons(s, start, START_CAPTIONS) == ["Vai"])
    way.esci(start)
    assert d.exit_status() == 0


def mouse(d):
    start = d.start_program()
    wait_for_start(d, start)
    way = Mouse(d, button=1)
    ex = open_exercise(d, start, way, 6)
    answer_sun(d, ex, 6, way)
    way.press(ex, "Esco")
    back_on_start(d, start)
    way.press(start, "Esci")
    assert d.exit_status() == 0


def other_buttons(d):
    """A right or middle press confirms a button as a left press does."""
    start = d.start_program()
    wait_for_start(d, start)
    right, middle = Mouse(d, button=3), Mouse(d, button=2)
    ex = open_exercise(d, start, right, 4)
    right.press(ex, "5")
    d.wait_for('a right press on "5" types it and enables "Avanti"',
               lambda s: keypad(s, ex)[0] == ["5"] and enabled(s, ex, "Avanti"))
    middle.press(ex, "Cancella")
    d.wait_for('a middle press on "Cancella" erases it and disables "Avanti"',
               lambda s: keypad(s, ex)[0] == ["Cancella"] and not enabled(s, ex, "Avanti"))
    right.press(ex, "8")
    d.wait_for('"Avanti" is enabled again', lambda s: enabled(s, ex, "Avanti"))
    assert ink_width(d.screenshot(), ex.rect("lblRisultato(1)")) == 0, "ray 1 is shown too early"
    right.press(ex, "Avanti")
    d.wait_for('a right press on "Avanti" reveals ray 1 with "?"', lambda s: (
        keypad(s, ex)[0] == ["1"] and not enabled(s, ex, "Avanti")
        and ink_width(s, ex.rect("lblRisultato(1)")) > 0))
    start.activate()
    right.press(start, "Esci")
    assert d.exit_status() == 0


if __name__ == "__main__":
    main({"keyboard": keyboard, "scanning": scanning, "mouse": mouse,
          "other_buttons": other_buttons})
