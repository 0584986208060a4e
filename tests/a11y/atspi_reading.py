#!/usr/bin/python3
"""Reads the real program through AT-SPI, as a screen reader does: the start
window and the exercise window (names, descriptions, enabled and focused
states), a button pressed through the Action interface, and the focus moves it
reports while SPACE scans the buttons.

Run under an X server and a D-Bus session: the accessibility bus is started on
demand. Usage: atspi_reading.py PATH_TO_PINNUVO
"""

import os
import subprocess
import sys
import time
import warnings

import gi

try:
    gi.require_version("Atspi", "2.0")
except ValueError:
    sys.exit("atspi_reading: AT-SPI's introspection data is missing (Debian: gir1.2-atspi-2.0)")
from gi.repository import Atspi, GLib  # noqa: E402

# Debian 12's libatspi marks the action names deprecated without a replacement.
warnings.filterwarnings("ignore", category=DeprecationWarning)

WAIT_S = 20  # the longest any one wait may take; a wait that runs out ends the test
KEYPAD = [str(d) for d in range(10)] + ["Cancella", "Avanti", "Nuovo sole", "Esco"]
COMMANDS = ["Vai", "Ripristina", "Esci"]

failures = []


class WaitedInVain(Exception):
    pass


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(probe, what, timeout=WAIT_S):
    """Polls probe() until it returns something true; returns it, or None."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        pump()
        try:
            value = probe()
        except GLib.Error:
            value = None
        if value:
            return value
        time.sleep(0.05)
    check(False, f"waited for {what}")
    raise WaitedInVain(what)


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=5)


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def states(node):
    node.clear_cache()
    return {s.value_nick for s in node.get_state_set().get_states()}


def find_app():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == "Pinnuvo":
            return app
    return None


def find_frame(app, title):
    for i in range(app.get_child_count()):
        frame = app.get_child_at_index(i)
        if frame is not None and frame.get_name() == title:
            return frame
    return None


class buttons:
    """The frame's push buttons by name. A button that takes the focus with
    another description than at its last focus comes back as a new object: a
    name whose object has gone is looked up again."""

    def __init__(self, frame):
        self.frame = frame
        self.nodes = {}
        self.refresh()

    def refresh(self):
        self.nodes = {n.get_name(): n for n in walk(self.frame) if n.get_role() == Atspi.Role.PUSH_BUTTON}

    def __getitem__(self, name):
        try:
            alive = "defunct" not in states(self.nodes[name]) and self.nodes[name].get_name() == name
        except Exception:
            alive = False
        if not alive:
            self.refresh()
        return self.nodes[name]

    def get(self, name):
        return self[name] if name in self.nodes else None

    def __iter__(self):
        return iter(list(self.nodes))

    def __contains__(self, name):
        return name in self.nodes

    def items(self):
        return [(name, self[name]) for name in list(self.nodes)]


def labels(frame):
    return [n for n in walk(frame) if n.get_role() == Atspi.Role.LABEL]


def focused_name(nodes):
    names = [name for name, node in nodes.items() if "focused" in states(node)]
    return names[0] if len(names) == 1 else None


def press(node):
    names = [node.get_action_name(i).lower() for i in range(node.get_n_actions())]
    if not check("press" in names, f'"{node.get_name()}" offers a press action'):
        return
    node.do_action(names.index("press"))


def key(name):
    subprocess.run(["xdotool", "key", name], check=True, timeout=WAIT_S)


class FocusLog:
    """The names of the controls whose focus-gained events the bridge sends,
    the descriptions it announces as changed, and the names it announces as
    changed. A screen reader may read a control at its focus event from what it
    read of it at an earlier focus (Orca 48 does, for two seconds), whatever
    changes were announced since; `read_at_focus` keeps what such a reader
    read at each focus event."""

    def __init__(self):
        self.names = []
        self.descriptions = []
        self.renamed = []
        self.read_at_focus = {}
        self.known = {}
        self.listeners = []
        for event, handler in (("object:state-changed:focused", self.on_focus),
                               ("object:property-change:accessible-description",
                                self.on_description),
                               ("object:property-change:accessible-name", self.on_name)):
            self.listeners.append(Atspi.EventListener.new(handler))
            self.listeners[-1].register(event)

    def on_focus(self, event):
        if event.detail1 == 1 and event.source is not None:
            name = event.source.get_name()
            self.names.append(name)
            if event.source not in self.known:
                self.known[event.source] = described(event.source)
            self.read_at_focus[name] = self.known[event.source]

    def on_description(self, event):
        if event.source is not None:
            self.descriptions.append(event.source)

    def on_name(self, event):
        if event.source is not None:
            self.renamed.append(event.source.get_name())

    def take(self, count, what):
        wait_for(lambda: len(self.names) >= count, what, timeout=5)
        taken, self.names = self.names[:count], self.names[count:]
        return taken


def next_enabled(order, nodes, name):
    i = order.index(name)
    for step in range(1, len(order) + 1):
        candidate = order[(i + step) % len(order)]
        if "enabled" in states(nodes[candidate]):
            return candidate
    return name


def scan_and_follow(nodes, order, log, steps):
    start = wait_for(lambda: focused_name(nodes), "a focused button")
    expected = []
    current = start
    for _ in range(steps):
        current = next_enabled(order, nodes, current)
        expected.append(current)
    log.names.clear()
    reported = []
    for _ in range(steps):
        key("space")
        reported += log.take(1, "the focus event of one SPACE")
    check(reported == expected, f"SPACE from {start!r} reports focus on {expected}, got {reported}")
    check(focused_name(nodes) == expected[-1], f'"{expected[-1]}" reports the focused state')


def read_start_window(app, log):
    frame = wait_for(lambda: find_frame(app, "Dorvala"), 'the start window "Dorvala"')
    nodes = buttons(frame)
    centres = [str(c) for c in range(11)]
    check(sorted(nodes) == sorted(centres + COMMANDS), f"start window buttons: {sorted(nodes)}")
    for name in centres:
        node = nodes.get(name)
        if node:
            check(node.get_description() == f"Sceglie il centro {name}",
                  f'centre "{name}" says what it does')
            check({"enabled", "sensitive", "focusable"} <= states(node), f'centre "{name}" enabled')
    for name in COMMANDS:
        if name in nodes:
            check(bool(nodes[name].get_description()), f'"{name}" has a description')
    wait_for(lambda: focused_name(nodes) == "0", 'the focus on centre "0"')

    scan_and_follow(nodes, centres, log, 3)

    # A press through the Action interface chooses a centre as a mouse press does.
    log.names.clear()
    press(nodes["7"])
    chosen = wait_for(lambda: [l for l in labels(frame) if l.get_name() == "Sole del 7"],
                      'the label "Sole del 7"')
    check(bool(chosen), 'pressing "7" shows "Sole del 7"')
    moved = wait_for(lambda: log.names and log.names[-1] == "Vai", 'the focus event of "Vai"')
    check(bool(moved), f'the focus moves to "Vai" (events {log.names})')
    check(focused_name(nodes) == "Vai", '"Vai" reports the focused state')
    check("Sole del 7" in described(nodes["Vai"]), '"Vai" is read with the chosen sun')
    log.renamed.clear()
    press(nodes["Vai"])


def read_exercise_window(app, log):
    frame = wait_for(lambda: find_frame(app, "Esercizio: sole del 7"),
                     'the exercise window read as "Esercizio: sole del 7"')
    nodes = buttons(frame)
    check(sorted(nodes) == sorted(KEYPAD), f"keypad buttons: {sorted(nodes)}")
    if sorted(nodes) != sorted(KEYPAD):
        return
    check(focused_reading(nodes, "0", "raggio 1 di 8:", log), '"0" is read with the first ray')
    check(not log.renamed, f"opening the exercise renames nothing (renamed {log.renamed})")
    for name in KEYPAD:
        enabled = "enabled" in states(nodes[name])
        should = name not in ("Avanti", "Nuovo sole", "Esco")
        check(enabled == should, f'"{name}" is {"enabled" if should else "disabled"}')
    check(nodes["Avanti"].get_description()
          == "Conferma il risultato e passa al raggio successivo", '"Avanti" says what it does')

    texts = labels(frame)
    centre = [l for l in texts if l.get_description().startswith("Il numero al centro")]
    check(len(centre) == 1 and centre[0].get_name() == "7", "the centre number reads 7")
    addends = [l for l in texts if l.get_description().startswith("Addendo del raggio")]
    check(len(addends) == 8, "eight addends")
    check(len({a.get_name() for a in addends}) == 8, "the eight addends differ")
    results = {l.get_description().split(",")[0]: l for l in texts
               if l.get_description().startswith("Risultato del raggio")}
    check(len(results) == 8, "eight result boxes")
    first = results.get("Risultato del raggio 1")
    if not first:
        return
    check(first.get_name() == "?", 'the first result box reads "?"')
    check(first.get_description().endswith("Da scrivere."), "the first result waits for an answer")

    scan_and_follow(nodes, KEYPAD, log, 3)

    # Typing a digit changes what the box holds and makes "Avanti" usable.
    log.descriptions.clear()
    key("4")
    wait_for(lambda: (first.clear_cache(), first.get_name() == "4")[1], 'the result "4"')
    check(first.get_description().endswith("Scritto 4."), "the description follows the caption")
    announced = wait_for(lambda: [n for n in log.descriptions
                                  if n.get_description().endswith("Scritto 4.")],
                         "the announced description", timeout=5)
    check(bool(announced), "the result box announces its new description")
    check(wait_for(lambda: "enabled" in states(nodes["Avanti"]), '"Avanti" enabled') is not None,
          '"Avanti" reports it can be used')
    check(focused_name(nodes) == "Avanti", '"Avanti" reports the focus after a digit')
    return frame


def described(node):
    node.clear_cache()
    return node.get_description()


def focused_reading(nodes, what, expected, log=None):
    """Waits for the focus on `what` and for its description to hold `expected`;
    with `log`, also at the focus event, where a screen reader reads it."""
    return wait_for(lambda: focused_name(nodes) == what and expected in described(nodes[what])
                    and (not log or expected in log.read_at_focus.get(what, "")),
                    f'"{what}" focused and read with {expected!r}', timeout=5)


def work_a_sun(frame, log):
    """Answers the sun by keys, the first result wrong (the "4" typed before),
    and checks what the focused button says at each step."""
    nodes = buttons(frame)
    sums = {}
    for label in labels(frame):
        text = label.get_description()
        if text.startswith("Addendo del raggio"):
            ray = int(text.split()[3].rstrip(","))
            sums[ray] = (text.rsplit(": ", 1)[1], 7 + int(label.get_name()))
    if not check(len(sums) == 8, "the eight sums read from the addends"):
        return
    check(focused_reading(nodes, "Avanti", "Scritto 4."), '"Avanti" is read with the number typed')
    for ray in range(2, 9):
        key("Return")
        sum_text, total = sums[ray]
        check(focused_reading(nodes, "1", f"raggio {ray} di 8: {sum_text} uguale ?", log),
              f"the digit in focus reads ray {ray} and its sum")
        for digit in str(total):
            key(digit)
        check(focused_reading(nodes, "Avanti", f"Scritto {total}.", log),
              f'"Avanti" is read with {total} at a focus event')
    key("Return")
    check(focused_reading(nodes, "1", f"1 risultato da correggere: raggio 1, {sums[1][0]}", log),
          "the check's wrong result is read where the focus lands")
    for digit in str(sums[1][1]):
        key(digit)
    wait_for(lambda: focused_name(nodes) == "Avanti", '"Avanti" focused after the correction')
    time.sleep(0.3)
    pump()
    log.names.clear()
    key("Return")
    check(focused_reading(nodes, "Nuovo sole", "Sole completo: tutti e otto", log),
          '"Nuovo sole" is read with the completed sun')
    pump()
    check(set(log.names) <= {"1", "Nuovo sole"},
          f"the focus goes from \"1\" straight to \"Nuovo sole\" (events {log.names})")
    # Later blinks put the focus where it already is: nothing new is read.
    log.names.clear()
    log.descriptions.clear()
    time.sleep(1.3)
    pump()
    check(not log.names, f"later blinks move no focus (events {log.names})")
    check(not [n for n in log.descriptions if n.get_name() == "Nuovo sole"],
          'later blinks change nothing read on "Nuovo sole"')


def main():
    program = sys.argv[1]
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    pinnuvo = subprocess.Popen([program], env=env)
    try:
        def registered():
            if pinnuvo.poll() is not None:
                sys.exit(f"atspi_reading: the program ended with {pinnuvo.returncode}")
            return find_app()

        # The accessibility bus and its registry start on demand: give them time.
        app = wait_for(registered, "the program on the accessibility bus", timeout=2 * WAIT_S)
        log = FocusLog()
        read_start_window(app, log)
        frame = read_exercise_window(app, log)
        if frame:
            work_a_sun(frame, log)
    except WaitedInVain:
        pass
    finally:
        stop(pinnuvo)
    print(f"{len(failures)} failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
