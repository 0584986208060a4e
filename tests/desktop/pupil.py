"""What a pupil does on the real windows, by one input way at a time: choose a
centre, open the exercise, answer a sun, and leave.

The addends of a sun are drawn at random. The pupil reads them off the sun
(the keypad's digits, in the same font and size, serve as models of the
digits), but the check alone decides what is right: each ray is answered with
the centre plus the addend read there, or, where the reading is not sure,
with a guess. After the eighth ray the check colours the results, and the
first wrong one, orange, is answered again with the next candidate of 1..10
not yet tried there and not already found on an earlier ray. Every check is
read from the screen: the rays before the orange one are yellow, the rays
after it still pale. The last ray's first answer is the centre itself, never
right, so that a check always shows seven yellow rays and an orange one. At
the end the sums the check accepted must belong to the addends the sun shows.
"""

import collections

from desktop import (BLINK_LIGHT, BLINK_YELLOW, CURTAIN, EXERCISE, KEYPAD_ORDER, KEYPAD_TEXT,
                     RESULT_REST, RIGHT, START_CAPTIONS, WRONG, focused_buttons)

RAYS = 8
ADDENDS = range(1, 11)


# ---------------------------------------------------------------------------
# Reading the exercise window.


def results(shot, ex, inner=None):
    inner = inner or ex.inner()
    return [shot.dominant(ex.rect(f"lblRisultato({ray})", inner)) for ray in range(RAYS)]


def enabled(shot, ex, caption, inner=None):
    """Whether a keypad button is enabled: its caption is blue, not grey."""
    return shot.count(ex.rect(caption, inner), KEYPAD_TEXT, tolerance=40) >= 10


def keypad(shot, ex):
    """The focused keypad buttons and the enabled ones, by caption."""
    inner = ex.inner()
    return (focused_buttons(shot, ex, KEYPAD_ORDER, inner),
            [c for c in KEYPAD_ORDER if enabled(shot, ex, c, inner)])


def ink_width(shot, rect):
    """How many columns of the box hold dark caption pixels."""
    columns = 0
    for x in range(rect.left, rect.right):
        if any(sum(shot.rgb(x, y)) < 200 for y in range(rect.top, rect.bottom)):
            columns += 1
    return columns


def _glyphs(shot, rect):
    """The dark glyphs in a box, left to right, each as a set of (x, y) from its corner."""
    ink = {(x, y) for y in range(rect.top, rect.bottom) for x in range(rect.left, rect.right)
           if shot.rgb(x, y)[0] < 128}  # over half covered by blue or black text
    columns = sorted({x for x, _ in ink})
    glyphs, run = [], []
    for x in columns:
        if run and x != run[-1] + 1:
            glyphs.append(run)
            run = []
        run.append(x)
    if run:
        glyphs.append(run)
    shapes = []
    for run in glyphs:
        points = {(x, y) for x, y in ink if run[0] <= x <= run[-1]}
        top = min(y for _, y in points)
        shapes.append(frozenset((x - run[0], y - top) for x, y in points))
    return shapes


def _likeness(a, b):
    best = 0.0
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            moved = {(x + dx, y + dy) for x, y in b}
            best = max(best, len(a & moved) / len(a | moved))
    return best


def read_addends(shot, ex):
    """The addends as the sun shows them, read with the keypad's digits as models
    (the same font and size); None where a reading is not sure."""
    inner = ex.inner()
    models = {}
    for digit in range(10):
        shapes = _glyphs(shot, ex.rect(str(digit), inner).inset(7))
        if len(shapes) == 1:
            models[digit] = shapes[0]
    if len(models) < 10:
        return [None] * RAYS
    readings = []
    for ray in range(RAYS):
        text = ""
        for shape in _glyphs(shot, ex.rect(f"Label2({ray})", inner)):
            scores = sorted((_likeness(shape, model), digit) for digit, model in models.items())
            (best, digit), runner_up = scores[-1], scores[-2][0]
            text += str(digit) if best >= 0.8 and best - runner_up >= 0.05 else "?"
        readings.append(int(text) if text.isdigit() and 1 <= int(text) <= 10 else None)
    return readings


def check_outcome(colours):
    """The index of the ray found wrong, 'done' when all are right, None when unsettled."""
    if all(c == RIGHT for c in colours) or all(c == BLINK_LIGHT for c in colours) or all(
            c == BLINK_YELLOW for c in colours):
        return "done"
    for wrong in range(RAYS):
        if colours == [RIGHT] * wrong + [WRONG] + [RESULT_REST] * (RAYS - 1 - wrong):
            return wrong
    return None


def blink_phase(shot, ex):
    """'odd' or 'even' when the sun frame and all results show one blink phase."""
    inner = ex.inner()
    frame, boxes = shot.dominant(ex.rect("frame1 corner", inner)), results(shot, ex, inner)
    if frame == BLINK_YELLOW and all(c == BLINK_LIGHT for c in boxes):
        return "odd"
    if frame == BLINK_LIGHT and all(c == BLINK_YELLOW for c in boxes):
        return "even"
    return None


# ---------------------------------------------------------------------------
# The three input ways. Each way only uses its own keys or buttons.


class Keyboard:
    """Digit keys, ENTER and the keypad's letters."""

    name = "keyboard"

    def __init__(self, desktop):
        self.d = desktop
        self.slipped = False

    def choose_centre(self, start, centre):
        self.d.key("KP_Multiply" if centre == 10 else str(centre))
        self.d.wait_for(f"centre {centre} has the focus",
                        lambda s: focused_buttons(s, start, START_CAPTIONS) == [str(centre)])
        self.d.key("Return")

    def press_vai(self, start):
        self.d.key("Return")

    def enter(self, ex, number):
        if not self.slipped:
            # A slip first: a wrong digit, erased with C, which selects "Cancella".
            self.slipped = True
            self.d.key("9", "c")
            self.d.wait_for('C selects "Cancella" and disables "Avanti"', lambda s: keypad(
                s, ex)[0] == ["Cancella"] and not enabled(s, ex, "Avanti"))
        self.d.key(*str(number))
        self.d.wait_for('the digits move the focus to "Avanti"',
                        lambda s: keypad(s, ex)[0] == ["Avanti"])

    def avanti(self, ex):
        self.d.key("a", "Return")  # A selects "Avanti", where the digits already put the focus

    def nuovo_sole(self, ex):
        self.d.key("n", "Return")


class Scanning:
    """SPACE to move to the next enabled button, ENTER to confirm; nothing else."""

    name = "scanning"

    def __init__(self, desktop):
        self.d = desktop

    def _scan_to(self, window, captions, target, enabled_now):
        shot = self.d.screenshot()
        focus = focused_buttons(shot, window, captions)
        assert len(focus) == 1, f"one button should have the focus, not {focus}"
        order = [c for c in captions if c in enabled_now]
        presses = (order.index(target) - order.index(focus[0])) % len(order)
        if presses:
            self.d.key(*["space"] * presses)
        self.d.wait_for(f"scanning reaches {target}",
                        lambda s: focused_buttons(s, window, captions) == [target])
        self.d.key("Return")

    def choose_centre(self, start, centre):
        centres = [str(i) for i in range(11)]
        self._scan_to(start, centres, str(centre), centres)

    def press_vai(self, start):
        self._scan_to(start, ["Vai", "Ripristina", "Esci"], "Vai", ["Vai", "Ripristina", "Esci"])

    def esci(self, start):
        self._scan_to(start, ["Vai", "Ripristina", "Esci"], "Esci", ["Vai", "Ripristina", "Esci"])

    def enter(self, ex, number):
        for digit in str(number):
            self._scan_to(ex, KEYPAD_ORDER, digit, keypad(self.d.screenshot(), ex)[1])
            self.d.wait_for('a digit enables "Avanti"', lambda s: enabled(s, ex, "Avanti"))

    def avanti(self, ex):
        self._scan_to(ex, KEYPAD_ORDER, "Avanti", keypad(self.d.screenshot(), ex)[1])

    def nuovo_sole(self, ex):
        self._scan_to(ex, KEYPAD_ORDER, "Nuovo sole", ["Nuovo sole", "Esco"])


class Mouse:
    """Presses of one mouse button on the buttons."""

    def __init__(self, desktop, button=1):
        self.d = desktop
        self.button = button
        self.name = f"mouse button {button}"

    def press(self, window, caption):
        self.d.click(window.rect(caption).centre(), self.button)

    def choose_centre(self, start, centre):
        self.press(start, str(centre))

    def press_vai(self, start):
        self.press(start, "Vai")

    def enter(self, ex, number):
        for digit in str(number):
            self.press(ex, digit)
        self.d.wait_for('the digits enable "Avanti"', lambda s: enabled(s, ex, "Avanti"))

    def avanti(self, ex):
        self.press(ex, "Avanti")

    def nuovo_sole(self, ex):
        self.press(ex, "Nuovo sole")


# ---------------------------------------------------------------------------
# A whole sun.


def curtain_cover(shot, start, inner=None, height=0.5):
    """The share of a row of the start window (the middle one unless told) under the curtains."""
    inner = inner or start.inner()
    y = inner.top + int(height * inner.height)
    pink = sum(1 for x in range(inner.left, inner.right) if shot.pixel(x, y) == CURTAIN)
    return pink / inner.width


def wait_for_start(desktop, start):
    """The curtains have opened and the centre button "0" has the focus."""
    desktop.wait_for('the curtains are open and "0" has the focus', lambda s: (
        curtain_cover(s, start) == 0 and focused_buttons(s, start, START_CAPTIONS) == ["0"]))


def open_exercise(desktop, start, way, centre):
    """Chooses the centre and opens the exercise window; returns it."""
    way.choose_centre(start, centre)
    desktop.wait_for('the choice moves the focus to "Vai"',
                     lambda s: focused_buttons(s, start, START_CAPTIONS) == ["Vai"])
    way.press_vai(start)
    ex = desktop.window(EXERCISE)
    desktop.wait_until("the exercise window is active", ex.active)
    wait_for_new_sun(desktop, ex)
    return ex


def back_on_start(desktop, start):
    """The exercise window has gone and the start window is active with "0" focused."""
    desktop.wait_until("the exercise window is gone", lambda: not desktop.window_exists(EXERCISE))
    desktop.wait_until("the start window is active again", start.active)
    desktop.wait_for('only "0" shows the focus colour on the start window',
                     lambda s: focused_buttons(s, start, START_CAPTIONS) == ["0"])


def wait_for_new_sun(desktop, ex):
    def fresh(shot):
        focus, on = keypad(shot, ex)
        return (len(focus) == 1 and on == KEYPAD_ORDER[:11]
                and results(shot, ex) == [RESULT_REST] * RAYS)

    return desktop.wait_for("a new sun: pale results, digits and \"Cancella\" enabled", fresh)


def answer_sun(desktop, ex, centre, way):
    """Answers a new sun until the check finds all eight rays right; returns the number of checks.

    Then waits for both blink phases and the keypad's completed state."""
    assert 1 <= centre <= 10, "the last ray's first answer, the centre, must be a wrong one"
    shown = read_addends(wait_for_new_sun(desktop, ex), ex)
    answers = {}  # ray -> addend answered last
    tried = collections.defaultdict(set)

    def candidates(ray, found):
        order = ([shown[ray]] if shown[ray] else []) + list(ADDENDS)
        return [a for a in dict.fromkeys(order) if a not in tried[ray] and a not in found]

    def answer(ray, addend):
        answers[ray] = addend
        way.enter(ex, centre + addend)
        desktop.wait_for('the answer enables "Avanti"', lambda s: enabled(s, ex, "Avanti"))
        way.avanti(ex)

    for ray in range(RAYS - 1):
        answer(ray, candidates(ray, set())[0])
        desktop.wait_for(f'"Avanti" reveals ray {ray + 1} and disables itself', lambda s: (
            keypad(s, ex) == (["1"], KEYPAD_ORDER[:11]) and results(s, ex) == [RESULT_REST] * RAYS))
    answer(RAYS - 1, 0)

    checks, seen = 0, set()
    while True:
        outcome = []

        def settled(shot):
            focus, on = keypad(shot, ex)
            if "Avanti" in on or focus not in (["1"], ["Nuovo sole"]):
                return False
            outcome[:] = [check_outcome(results(shot, ex))]
            return outcome[0] is not None

        desktop.wait_for("the check colours the results: yellow up to the first wrong one, "
                         "orange there, pale after it", settled)
        checks += 1
        if outcome[0] == "done":
            break
        wrong = outcome[0]
        seen.update({RIGHT} if wrong else set())
        seen.add(WRONG)
        tried[wrong].add(answers[wrong])
        left = candidates(wrong, {answers[ray] for ray in range(wrong)})
        assert left, f"ray {wrong}: every addend was tried ({sorted(tried[wrong])})"
        answer(wrong, left[0])

    found = [answers[ray] for ray in range(RAYS)]
    assert len(set(found)) == RAYS, f"the eight addends found are not different: {found}"
    assert seen == {RIGHT, WRONG}, "no check showed yellow rays before an orange one"
    misread = [ray for ray in range(RAYS) if shown[ray] and shown[ray] != found[ray]]
    assert not misread, (f"the rays show the addends {shown}, but the check accepted the sums "
                         f"of {found}")
    wait_for_celebration(desktop, ex)
    print(f"{way.name}: centre {centre}, addends {found} ({shown} as read), {checks} checks")
    return checks


def wait_for_celebration(desktop, ex):
    """Both blink phases, each with the keypad in its completed state."""
    def completed(shot):
        focus, on = keypad(shot, ex)
        return focus == ["Nuovo sole"] and on == ["Nuovo sole", "Esco"]

    for phase in ("odd", "even", "odd"):
        desktop.wait_for(f"the {phase} blink phase with only \"Nuovo sole\" and \"Esco\" enabled",
                         lambda s: blink_phase(s, ex) == phase and completed(s))
