"""What the pupil sees, checked on screenshots of the real windows: the
curtains, the focus colours of the banks and the round discs of a stretched
window. (The check's yellow and orange and both blink phases are checked in
every whole session, see pupil.answer_sun.)"""

import time

from desktop import (CENTRE_BORDER, CURTAIN, DISC_BORDER, EXERCISE, FOCUS, KEYPAD_ORDER, REST,
                     RESULT_REST, START, START_CAPTIONS, WAIT, main, near)
from pupil import curtain_cover, keypad, wait_for_start

ROWS = (0.1, 0.5, 0.9)  # rows across the start window, as shares of its height


def first_painted_start_window(d):
    """Starts the program and returns its start window and the first screenshot that shows
    it painted. The program runs in slices of a few milliseconds and is stopped while it is
    looked at, so the picture comes within a tick or two of the first paint however slow
    the machine is."""
    d.start_program(wait=False)
    deadline = time.monotonic() + WAIT
    try:
        while time.monotonic() < deadline:
            d.pause(False)
            time.sleep(0.003)
            d.pause(True)
            start = d.find_window(START)
            if start is None:
                continue
            shot, inner = d.screenshot(), start.inner()
            y = (inner.top + inner.bottom) // 2
            painted = sum(1 for x in range(inner.left, inner.right)
                          if shot.pixel(x, y) in (CURTAIN, REST))
            if painted > inner.width / 2:
                return start, shot
    finally:
        d.pause(False)
    raise AssertionError("the start window was not painted")


def curtains(d):
    start, shot = first_painted_start_window(d)
    inner = start.inner()
    for height in ROWS:
        cover = curtain_cover(shot, start, inner, height)
        y = inner.top + int(height * inner.height)
        assert shot.pixel(inner.left, y) == CURTAIN and shot.pixel(inner.right - 1, y) == CURTAIN, \
            f"no curtain at the edges at {height:.0%} of the height"
        assert cover > 0.6, f"right after start the curtains cover only {cover:.0%} of the window"
    wait_for_start(d, start)
    shot = d.screenshot()
    assert all(curtain_cover(shot, start, inner, h) == 0 for h in ROWS), "a curtain stays"


def one_focused(d, window, captions, focused, why):
    """Waits until the button `focused` shows the focus colour and all others the rest colour."""
    def looks_right(shot):
        inner = window.inner()
        return all(shot.dominant(window.rect(c, inner)) == (FOCUS if c == focused else REST)
                   for c in captions)

    d.wait_for(f"{why}: only {focused} shows FFC080, every other button FFE0C0", looks_right)


def focus_colours(d):
    start = d.start_program()
    wait_for_start(d, start)
    buttons = list(START_CAPTIONS)
    one_focused(d, start, buttons, "0", "the start")
    d.key("4")
    one_focused(d, start, buttons, "4", "the key 4")
    d.key("KP_Multiply")
    one_focused(d, start, buttons, "10", "the numeric keypad's *")
    d.key("space")
    one_focused(d, start, buttons, "0", "SPACE on the last centre")
    d.click(start.rect("8").centre())
    one_focused(d, start, buttons, "Vai", 'the choice of "8" with the mouse')
    d.key("1")
    one_focused(d, start, buttons, "Ripristina", "the key 1")
    d.key("Return")
    one_focused(d, start, buttons, "0", '"Ripristina"')

    d.key("Return")  # chooses "0"; its release on "Vai" leaves the centres' latch set
    one_focused(d, start, buttons, "Vai", 'the choice of "0"')
    d.key("Return")
    ex = d.window(EXERCISE)
    d.wait_until("the exercise window is active", ex.active)
    one_focused(d, ex, KEYPAD_ORDER, "0", "the new exercise window")
    d.key("space")
    one_focused(d, ex, KEYPAD_ORDER, "1", "SPACE")
    d.key("7")
    one_focused(d, ex, KEYPAD_ORDER, "Avanti", "the key 7")

    # Back on the start window the activation gives "0" the focus; "Vai",
    # which had it when the window was left, shows it no more.
    d.key("alt+F4")
    d.wait_until("the exercise window is gone", lambda: not d.window_exists(EXERCISE))
    one_focused(d, start, buttons, "0", "the return to the start window")


def disc(shot, box, border):
    """The extent of a circle's rim along the horizontal and the vertical line through the
    middle of its box: (width, height, middle x, middle y)."""
    mx, my = box.centre()
    xs = [x for x in range(box.left, box.right) if near(shot.rgb(x, my), border, 30)]
    ys = [y for y in range(box.top, box.bottom) if near(shot.rgb(mx, y), border, 30)]
    assert xs and ys, f"no rim {border} in {box}"
    return (xs[-1] - xs[0] + 1, ys[-1] - ys[0] + 1, (xs[0] + xs[-1]) / 2, (ys[0] + ys[-1]) / 2)


def round_discs(d, ex):
    """Measures the large and the centre disc, checks that each is round and centred in
    its box, and returns their diameters."""
    shot, inner = d.screenshot(), ex.inner()
    diameters = []
    for name, border in (("Shape1(1)", DISC_BORDER), ("Shape2", CENTRE_BORDER)):
        box = ex.rect(name, inner)
        width, height, mx, my = disc(shot, box, border)
        assert abs(width - height) <= 2, f"{name} is {width} wide and {height} high in {box}"
        assert abs(width - min(box.width, box.height)) <= 3, f"{name} is {width} across in {box}"
        cx, cy = box.centre()
        assert abs(mx - cx) <= 2 and abs(my - cy) <= 2, f"{name} is not centred in {box}"
        diameters.append(width)
    return diameters


def stretched_circles(d):
    start = d.start_program()
    wait_for_start(d, start)
    d.key("Return")
    d.wait_for('"Vai" has the focus', lambda s: s.dominant(start.rect("Vai")) == FOCUS)
    d.key("Return")
    ex = d.window(EXERCISE)
    d.wait_until("the exercise window is active", ex.active)
    d.wait_for('"0" has the focus', lambda s: keypad(s, ex)[0] == ["0"])
    designed = round_discs(d, ex)

    x, y, width, height, _ = ex.geometry()
    d.step("stretch the exercise window to twice its width")
    d.xdotool("windowmove", str(ex.wid), "20", str(y))
    d.xdotool("windowsize", str(ex.wid), str(2 * width), str(height))
    d.wait_until("the window is twice as wide", lambda: ex.geometry()[2:4] == (2 * width, height))

    def laid_out(shot):
        inner = ex.inner()
        box = ex.rect("lblRisultato(0)", inner)
        return (shot.dominant(box) == RESULT_REST and shot.dominant(ex.rect("0", inner)) == FOCUS
                and shot.pixel(box.left - 4, box.top + 4) != RESULT_REST)

    d.wait_for("the controls take their places in the wider window", laid_out)
    stretched = round_discs(d, ex)
    assert all(abs(a - b) <= 2 for a, b in zip(designed, stretched)), \
        f"the discs changed size from {designed} to {stretched} although the height did not change"


if __name__ == "__main__":
    main({"curtains": curtains, "focus_colours": focus_colours,
          "stretched_circles": stretched_circles})
