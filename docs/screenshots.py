#!/usr/bin/python3
"""Plays the real program from the keyboard and photographs its windows; run
by make-screenshots.sh on a virtual screen. Usage: screenshots.py PINNUVO OUTDIR"""

import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

CENTRE = 7
WRONG_RAY = 4  # the fifth ray, answered one too many
WAIT_S = 20


def wait_for(probe, what):
    end = time.monotonic() + WAIT_S
    while time.monotonic() < end:
        value = probe()
        if value:
            return value
        time.sleep(0.1)
    sys.exit(f"screenshots: gave up waiting for {what}")


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def frame(title):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None or app.get_name() != "Pinnuvo":
            continue
        for j in range(app.get_child_count()):
            window = app.get_child_at_index(j)
            if window is not None and window.get_name() == title:
                return window
    return None


def sums(window):
    """The expected result of each ray, from the centre and addends it shows."""
    addends = {}
    for node in walk(window):
        description = node.get_description()
        if description.startswith("Addendo del raggio"):
            ray = int(description.split(",")[0].split()[-1]) - 1
            addends[ray] = int(node.get_name())
    return [CENTRE + addends[ray] for ray in range(8)]


def keys(*names):
    for name in names:
        subprocess.run(["xdotool", "key", name], check=True)
        time.sleep(0.05)


def answer(number):
    keys(*str(number), "Return")


def shoot(title, path):
    time.sleep(0.6)
    window = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], check=True,
                            capture_output=True, text=True).stdout.split()[0]
    subprocess.run(["import", "-frame", "-window", window, path], check=True)
    print(f"wrote {path}")


def main():
    program, out = sys.argv[1], sys.argv[2]
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    pinnuvo = subprocess.Popen([program], env=env)
    try:
        wait_for(lambda: frame("Dorvala"), "the start window")
        time.sleep(2)  # the curtains open
        keys(str(CENTRE), "Return")
        shoot("Dorvala", os.path.join(out, "start-window.png"))

        keys("Return")  # "Vai"
        exercise = wait_for(lambda: frame("Form1"), "the exercise window")
        expected = sums(exercise)
        for ray in range(3):
            answer(expected[ray])
        keys(str(expected[3])[0])
        shoot("Form1", os.path.join(out, "exercise-entry.png"))

        keys(*str(expected[3])[1:], "Return")
        for ray in range(4, 8):
            answer(expected[ray] + (1 if ray == WRONG_RAY else 0))
        shoot("Form1", os.path.join(out, "exercise-wrong.png"))

        answer(expected[WRONG_RAY])
        shoot("Form1", os.path.join(out, "exercise-celebration.png"))
    finally:
        pinnuvo.terminate()
        pinnuvo.wait(timeout=10)


if __name__ == "__main__":
    main()
