"""The two main windows under the window manager: minimised, maximised and
restored with the layout in proportion each time, and closed."""

from desktop import (DISC_BORDER, EXERCISE, FOCUS, RESULT_REST, START_CAPTIONS, TITLE_RIM,
                     WAIT, main)
from looks import disc
from pupil import back_on_start, curtain_cover, keypad, wait_for_start, wait_for_new_sun

SLACK = 3  # pixels a scaled edge may stray from its twips, by rounding


def grown(rect, pixels):
    return rect.inset(-pixels)


def mismatch(what, found, expected):
    """None when found lies on expected within the slack, else what is wrong."""
    if found is None:
        return f"{what}: not seen near {expected}"
    edges = (found.left - expected.left, found.top - expected.top,
             found.right - expected.right, found.bottom - expected.bottom)
    if any(abs(e) > SLACK for e in edges):
        return f"{what}: at {found}, expected at {expected}"
    return None


def start_layout(shot, start):
    """What is out of place on the start window, or None."""
    inner = start.inner()
    if curtain_cover(shot, start, inner) > 0:
        return "the curtains are not open yet"
    focused = [c for c in START_CAPTIONS if shot.dominant(start.rect(c, inner)) == FOCUS]
    if len(focused) != 1:
        return f"buttons with the focus colour: {focused}"
    # The focused button shows its colour inside its 2-pixel bevel.
    button = start.rect(focused[0], inner)
    area = grown(start.rect("frame1", inner), SLACK)
    return (mismatch(f'button "{focused[0]}"', shot.bounds(area, FOCUS), button.inset(2))
            or mismatch("the version panel's blue rim",
                        shot.bounds(grown(start.rect("frmTitolo", inner), SLACK), TITLE_RIM, 40),
                        start.rect("Shape4", inner)))


def exercise_layout(shot, ex):
    """What is out of place on the exercise window, or None."""
    inner = ex.inner()
    focused = keypad(shot, ex)[0]
    if len(focused) != 1:
        return f"keypad buttons with the focus colour: {focused}"
    button = ex.rect(focused[0], inner)
    result = ex.rect("lblRisultato(0)", inner)
    problem = (mismatch(f'button "{focused[0]}"',
                        shot.bounds(grown(ex.rect("fraTastierino", inner), SLACK), FOCUS),
                        button.inset(2))
               or mismatch("the top result box", shot.bounds(grown(result, 6), RESULT_REST),
                           result))
    if problem:
        return problem
    box = ex.rect("Shape1(1)", inner)
    width, height, mx, my = disc(shot, box, DISC_BORDER)
    side = min(box.width, box.height)
    if abs(width - side) > SLACK or abs(height - side) > SLACK or abs(mx - box.centre()[0]) > SLACK:
        return f"the large disc is {width} by {height} around x {mx} in {box}"
    return None


def expect_layout(d, window, layout, when):
    problems = []
    try:
        d.wait_for(f"{window.design.title} is laid out in proportion {when}",
                   lambda s: not problems.append(layout(s, window)) and problems[-1] is None)
    except AssertionError as failure:
        raise AssertionError(f"{failure}: {problems[-1] if problems else ''}") from None


def press_until(d, key, what, condition, tries=3):
    """Presses a window-manager key until it has acted. On a loaded machine
    openbox can miss a key that arrives while it is still settling the focus;
    Maximize and Unmaximize are idempotent, so pressing again is harmless."""
    for attempt in range(tries):
        d.key(key)
        try:
            d.wait_until(what, condition, timeout=WAIT / tries)
            return
        except AssertionError:
            if attempt == tries - 1:
                raise


def minimise_maximise_restore(d, window, layout):
    x, y, width, height, _ = window.geometry()
    expect_layout(d, window, layout, "at its first size")

    window.activate()
    press_until(d, "alt+F10", "the window is maximised",
                lambda: window.geometry()[2] > width + 100)
    expect_layout(d, window, layout, "when maximised")

    press_until(d, "alt+F5", "the window has its size back",
                lambda: window.geometry()[2:4] == (width, height))
    expect_layout(d, window, layout, "when restored from maximised")

    d.step("minimise")
    d.xdotool("windowminimize", str(window.wid))
    d.wait_until("the window is minimised", lambda: not window.viewable())
    window.activate()
    d.wait_until("the window is shown again", window.viewable)
    assert window.geometry()[2:4] == (width, height), "the window came back at another size"
    expect_layout(d, window, layout, "when restored from minimised")


def window_states(d):
    start = d.start_program()
    wait_for_start(d, start)
    minimise_maximise_restore(d, start, start_layout)
    d.key("Return")
    d.wait_for('"Vai" has the focus', lambda s: s.dominant(start.rect("Vai")) == FOCUS)
    d.key("Return")
    ex = d.window(EXERCISE)
    d.wait_until("the exercise window is active", ex.active)
    minimise_maximise_restore(d, ex, exercise_layout)


def open_with_keys(d, start):
    d.key("Return")
    d.wait_for('"Vai" has the focus', lambda s: s.dominant(start.rect("Vai")) == FOCUS)
    d.key("Return")
    ex = d.window(EXERCISE)
    d.wait_until("the exercise window is active", ex.active)
    return ex


def closing(d):
    # The start window's close box, with the exercise window open, ends the program.
    start = d.start_program()
    wait_for_start(d, start)
    open_with_keys(d, start)
    start.activate()
    d.key("alt+F4")
    assert d.exit_status() == 0

    # The exercise window's close box leaves the start window; "Esci" then ends
    # the program, with the exercise window open again.
    start = d.start_program()
    wait_for_start(d, start)
    ex = open_with_keys(d, start)
    d.key("alt+F4")
    back_on_start(d, start)
    assert d.running(), "closing the exercise window ended the program"
    d.click(start.rect("Vai").centre())
    ex = d.window(EXERCISE)
    wait_for_new_sun(d, ex)
    start.activate()
    d.click(start.rect("Esci").centre())
    assert d.exit_status() == 0


if __name__ == "__main__":
    main({"window_states": window_states, "closing": closing})
