#!/usr/bin/python3
"""Works whole suns by keys with Orca listening, three runs of the program in a
row, each with an Orca started afresh, and checks from Orca's debug file (its SPEECH OUTPUT lines) what it spoke
at each step: the chosen sun, each ray's own sum as the ray opens, each
number typed (once), the result to correct and the completed sun; and that no step is
read with another ray's sum, nor with a number that was not typed.

ORCA_SUN_RUNS sets the number of runs; when a check fails, Orca's debug
files and the other logs are copied into the folder ORCA_SUN_KEEP names.

Starts its own X server, openbox, D-Bus session, speech-dispatcher (espeak-ng
into ALSA's null device) and Orca, all with a private home, and ends them all
when it ends. Usage: orca_sun.py PATH_TO_PINNUVO
"""

import os
import pty
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import tty

RUNS = int(os.environ.get("ORCA_SUN_RUNS", 3))
KEY_GAP_S = 0.8  # from one key to the next, at least
QUIET_S = 0.3    # Orca has said all it had to say once its log is still this long
WAIT_S = 20      # the longest any one wait may take; a wait that runs out ends the test
RAY = re.compile(r"raggio (\d+)(?: di 8:|,) 7 più (\d+)")
WRITTEN = re.compile(r"Scritto (\d+)")
SPOKEN = re.compile(r" - SPEECH OUTPUT: '(.*?)'\s*(?:\{.*\})?\s*$")
reader = None  # the AT-SPI script's helpers, imported in the D-Bus session by Debian's Python
ORCA_VERSION = 0


def check(condition, what, heard=()):
    if not reader.check(condition, what):
        for line in heard:
            print(f"       heard: {line!r}")
    return condition


# The program as AT-SPI shows it (through the helpers of atspi_reading.py):
# only to find the controls, learn the addends and know that the program has
# answered a key, never for what is spoken.
def addends_of(frame):
    found = {}
    for node in reader.walk(frame):
        text = node.get_description() or ""
        if node.get_role() == reader.Atspi.Role.LABEL and text.startswith("Addendo del raggio"):
            found[int(text.split()[3].rstrip(","))] = int(node.get_name())
    return found if len(found) == 8 else None


class Sun:
    """One run. Each step is a key, where Orca's log stood when it was typed,
    the ray the pupil stands on after it (None: none) and what is typed there;
    what Orca spoke up to the next key is what it said of that step."""

    def __init__(self, log):
        self.log, self.steps, self.buttons = log, [], {}

    def heard(self, index, count=1):
        end = self.steps[index + count][1] if index + count < len(self.steps) else None
        with open(self.log, "rb") as f:
            f.seek(self.steps[index][1])
            text = f.read(-1 if end is None else end - self.steps[index][1]).decode(errors="replace")
        return [m.group(1).strip() for m in map(SPOKEN.search, text.splitlines()) if m]

    def find(self, frame):
        self.buttons = reader.buttons(frame)

    def answered(self, name, text):
        """Waits for the program to put the focus on `name` read with `text`,
        and for Orca to fall silent."""
        def ready():
            node = self.buttons[name]
            return "focused" in reader.states(node) and text in (node.get_description() or "")
        time.sleep(KEY_GAP_S - QUIET_S)
        reader.wait_for(ready, f'the focus on "{name}" read with {text!r}')
        settle(self.log)

    def key(self, name, what, ray=None, typed="", then=None):
        self.steps.append((what, os.path.getsize(self.log), ray, typed))
        subprocess.run(["xdotool", "key", name], check=True, timeout=WAIT_S)
        if then:
            self.answered(*then)

    def type(self, number, what, ray):
        for i, digit in enumerate(number):
            self.key(digit, f"digit {digit} of {what}", ray, number[:i + 1],
                     ("Avanti", f"Scritto {number[:i + 1]}."))


def settle(log):
    end, last = time.monotonic() + 5, -1
    while time.monotonic() < end and os.path.getsize(log) != last:
        last = os.path.getsize(log)
        time.sleep(QUIET_S)


def run_sun(program, log, run):
    sun = Sun(log)
    pinnuvo = subprocess.Popen([program], env=dict(os.environ, QT_QPA_PLATFORM="xcb"))
    try:
        app = reader.wait_for(lambda: pinnuvo.poll() is None and reader.find_app(),
                              "the program on the accessibility bus", timeout=2 * WAIT_S)
        sun.find(reader.wait_for(lambda: reader.find_frame(app, "Dorvala"), "the start window"))
        sun.answered("0", "")
        sun.key("7", "7 on the start window", then=("7", ""))
        sun.key("Return", "ENTER on 7", then=("Vai", "Sole del 7"))
        sun.key("Return", "ENTER on Vai", 1)
        frame = reader.wait_for(lambda: reader.find_frame(app, "Esercizio: sole del 7"),
                                "the exercise window")
        sun.find(frame)
        addends = reader.wait_for(lambda: addends_of(frame), "the eight addends")
        sun.answered("0", "raggio 1 di 8:")
        answers = {ray: str(7 + addends[ray] + (ray == 3)) for ray in addends}  # ray 3 wrong
        for ray in range(1, 9):
            sun.type(answers[ray], f"ray {ray}", ray)
            if ray < 8:
                sun.key("Return", f"ENTER on Avanti to ray {ray + 1}", ray + 1,
                        then=("1", f"raggio {ray + 1} di 8:"))
        sun.key("Return", "ENTER on Avanti after ray 8", 3, then=("1", "1 risultato da correggere"))
        sun.type(str(7 + addends[3]), "the corrected ray 3", 3)
        sun.key("Return", "ENTER on Avanti after the correction", then=("Nuovo sole", "Sole completo"))
        time.sleep(2 * KEY_GAP_S)
        check_speech(sun, run, addends, answers)
    finally:
        reader.stop(pinnuvo)
        time.sleep(KEY_GAP_S)
        settle(log)


def check_speech(sun, run, addends, answers):
    step = [what for what, *_ in sun.steps].index
    heard = sun.heard(step("ENTER on 7"))
    check(any("sole del 7" in line.lower() for line in heard), f"run {run}: the chosen sun is spoken", heard)
    for ray in range(1, 9):
        heard = sun.heard(step("ENTER on Vai" if ray == 1 else f"ENTER on Avanti to ray {ray}"))
        check(any(f"raggio {ray} di 8: 7 più {addends[ray]}" in line for line in heard),
              f"run {run}: ray {ray} is read with its sum 7 più {addends[ray]} as it opens", heard)
    for ray in range(1, 9):
        heard = sun.heard(step(f"digit {answers[ray][0]} of ray {ray}"), len(answers[ray]))
        said = [line for line in heard if f"Scritto {answers[ray]}." in line]
        check(len(said) == 1, f"run {run}: the number typed on ray {ray}, {answers[ray]}, is spoken once",
              heard)
    heard = sun.heard(step("ENTER on Avanti after ray 8"))
    check(any(f"1 risultato da correggere: raggio 3, 7 più {addends[3]}" in line for line in heard),
          f"run {run}: the result to correct is spoken", heard)
    heard = sun.heard(step("ENTER on Avanti after the correction"))
    check(any("sole completo" in line.lower() or "il sole è completo" in line for line in heard),
          f"run {run}: the completed sun is spoken", heard)
    wrong = 0
    for i, (what, _, ray, typed) in enumerate(sun.steps):
        heard = sun.heard(i)
        rays = [(int(r), int(a)) for line in heard for r, a in RAY.findall(line)]
        written = [n for line in heard for n in WRITTEN.findall(line)]
        if not (all(r == ray and a == addends.get(ray) for r, a in rays)
                and all(typed.startswith(n) for n in written)):
            wrong += 1
            check(False, f"run {run}, {what}: read rays and sums {rays} and numbers {written} "
                  f"where ray {ray} stands with {typed or 'nothing'} typed", heard)
    check(not wrong, f"run {run}: no step is read with another ray's sum or a number not typed")


def end_group(session):
    """Ends the D-Bus session and whatever was started in it, all in its
    process group (speech-dispatcher is kept from spawning a daemon)."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(session.pid, sig)
        except ProcessLookupError:
            return
        end = time.monotonic() + 30
        while time.monotonic() < end:
            session.poll()  # the leader stays in the group until reaped
            try:
                os.killpg(session.pid, 0)
            except ProcessLookupError:
                return
            time.sleep(0.2)


def copy_out(master, path):
    with open(path, "wb", buffering=0) as copy:
        while True:
            try:
                copy.write(os.read(master, 65536))
            except OSError:  # the terminal's other end is closed
                os.close(master)
                return


def start(work, name, argv, **kw):
    with open(os.path.join(work, name + ".log"), "ab") as out:
        return subprocess.Popen(argv, stdout=out, stderr=out, **kw)


def start_session(work, started):
    """Xvfb, openbox and speech-dispatcher."""
    read, write = os.pipe()
    started.append(start(work, "xvfb", ["Xvfb", "-displayfd", str(write), "-noreset", "-nolisten", "tcp",
                                        "-screen", "0", "1280x1024x24"], pass_fds=(write,)))
    os.close(write)
    number, end = b"", time.monotonic() + WAIT_S
    while not number.endswith(b"\n"):  # the server dies if the pipe closes before the end
        chunk = os.read(read, 16) if select.select([read], [], [], end - time.monotonic())[0] else b""
        if not chunk:
            raise reader.WaitedInVain("the X server")
        number += chunk
    os.close(read)
    os.environ["DISPLAY"] = ":" + number.decode().strip()
    started.append(start(work, "openbox", ["openbox"]))
    wm_check = ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]
    reader.wait_for(lambda: b"window id" in subprocess.run(wm_check, capture_output=True, timeout=WAIT_S).stdout,
                    "the window manager")
    started.append(start(work, "speech-dispatcher", ["speech-dispatcher", "--run-single", "--timeout", "0"]))
    socket = os.path.join(os.environ["XDG_RUNTIME_DIR"], "speech-dispatcher", "speechd.sock")
    reader.wait_for(lambda: os.path.exists(socket), "speech-dispatcher's socket")


def start_orca(work, run, started):
    """Starts Orca afresh for a run; returns its debug file. Orca in debug mode
    takes the objects it prints after their program has gone for dead, by
    address, for up to a minute, and so would ignore objects of the next run's
    program that happen to be made at the same address: a reader without a
    debug file does not do that, so each run has an Orca of its own. The
    caller closes the terminal's other end (returned too) once Orca ends."""
    # Orca writes its debug file through a buffer, at each line only into a
    # terminal: a pseudo-terminal copied to the file has each line as written.
    log = os.path.join(work, f"orca-{run}.debug")
    master, slave = pty.openpty()
    tty.setraw(slave)
    threading.Thread(target=copy_out, args=(master, log), daemon=True).start()
    started.append(start(work, "orca", ["orca", "--user-prefs", os.path.join(work, "orca"),
                                        "--debug-file", os.ttyname(slave)]))
    reader.wait_for(lambda: os.path.exists(log) and b"SPEECH OUTPUT" in open(log, "rb").read(),
             "Orca's first words", timeout=3 * WAIT_S)
    settle(log)
    return log, slave


def inside(program, work):
    global reader, ORCA_VERSION
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("orca_sun: terminated"))
    import atspi_reading as reader
    version = subprocess.run(["orca", "--version"], capture_output=True, text=True, timeout=WAIT_S)
    ORCA_VERSION = int(re.search(r"(\d+)\.", version.stdout).group(1))
    started = []
    try:
        start_session(work, started)
        for run in range(1, RUNS + 1):
            print(f"-- run {run} (Orca {ORCA_VERSION})", flush=True)
            log, terminal = start_orca(work, run, started)
            try:
                run_sun(program, log, run)
            finally:
                reader.stop(started.pop())
                os.close(terminal)
    except reader.WaitedInVain:
        for name in sorted(os.listdir(work)):
            if name.endswith((".log", ".debug")):
                with open(os.path.join(work, name), errors="replace") as out:
                    lines = [line for line in out if name.endswith(".log") or "SPEECH OUTPUT" in line]
                print(f"--- {name}, the end:\n" + "".join(lines[-15:]))
    finally:
        for process in reversed(started):
            reader.stop(process)
    keep = os.environ.get("ORCA_SUN_KEEP")
    failures = reader.failures
    if failures and keep:  # Orca's whole log, for a failure to be looked into
        shutil.copytree(work, keep, dirs_exist_ok=True, ignore=shutil.ignore_patterns("home", "run"))
        print(f"Orca's debug file and the logs are in {keep}")
    print(f"{len(failures)} failed" if failures else "all checks passed")
    return 1 if failures else 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--inside":
        return inside(sys.argv[2], os.environ["ORCA_SUN_WORK"])
    if len(sys.argv) != 2:
        sys.exit("usage: orca_sun.py PATH_TO_PINNUVO")
    for tool in ("Xvfb", "openbox", "xprop", "xdotool", "dbus-run-session", "speech-dispatcher", "orca"):
        if not shutil.which(tool):
            sys.exit(f"orca_sun: {tool} is missing (scripts/install-deps.sh installs it)")
    work = tempfile.mkdtemp(prefix="orca-sun-")
    home, runtime = os.path.join(work, "home"), os.path.join(work, "run")
    os.makedirs(os.path.join(home, ".config", "speech-dispatcher"))
    os.mkdir(runtime, 0o700)
    # Without a sound card speech-dispatcher must play into ALSA's null device,
    # or Orca waits on it.
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write("pcm.!default { type null }\n")
    with open(os.path.join(home, ".config", "speech-dispatcher", "speechd.conf"), "w") as f:
        f.write('DisableAutoSpawn\nAudioOutputMethod "alsa"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                'DefaultModule espeak-ng\nDefaultLanguage "it"\n')
    env = {k: v for k, v in os.environ.items() if k not in ("DBUS_SESSION_BUS_ADDRESS", "DISPLAY")}
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_RUNTIME_DIR=runtime,
               XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), ORCA_SUN_WORK=work, LANG="C.UTF-8")
    # Debian's own Python, which has AT-SPI's bindings.
    python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
    session = subprocess.Popen(["dbus-run-session", "--", python, os.path.abspath(__file__), "--inside",
                                os.path.abspath(sys.argv[1])], env=env, start_new_session=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("orca_sun: terminated"))
    try:
        return session.wait(timeout=RUNS * 200)
    except subprocess.TimeoutExpired:
        print("FAIL the runs took too long")
        return 1
    finally:
        end_group(session)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
