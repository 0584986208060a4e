"""Drives the real program on a private X server, under a window manager, with
real X11 input, and reads what the pupil sees from screenshots.

Desktop starts Xvfb on a free display (with keyboard auto-repeat) and openbox,
starts the program, finds its windows by title, presses keys and mouse buttons
through XTEST (xdotool), and reads pixels from screenshots. Control
places come from the design geometry in twips, scaled to the window's current
inner size. Every wait is time-boxed, and everything started here is stopped
again when the Desktop is left, whatever happened.
"""

import collections
import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TWIPS_PER_PIXEL = 15

# Colours the pupil sees, as RRGGBB.
FOCUS = "FFC080"  # the focused button of a bank
REST = "FFE0C0"  # every other bank button, and the windows' peach
CURTAIN = "FF80FF"
RESULT_REST = "FFFF80"  # a result box not checked yet
RIGHT = "F5F500"
WRONG = "FF7300"
BLINK_YELLOW = "FFFF00"
BLINK_LIGHT = "FFFFC0"
KEYPAD_TEXT = "0000C0"  # caption of an enabled keypad button; disabled ones are grey
DISC_BORDER = "C00000"  # rim of the sun's large disc
CENTRE_BORDER = "C04000"  # rim of the centre disc
TITLE_RIM = "0000C0"  # the blue rim around the start window's version panel

SCREEN = (1700, 1000)  # wide enough for the exercise window at twice its width
WAIT = 20  # seconds: the longest any single wait may take
DEADLINE = 240  # seconds: the longest a whole test may take

# A minimal openbox set-up: new windows take the focus, a click focuses and
# raises, and the usual keys close, maximise and restore the active window.
OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <theme><titleLayout>NLIMC</titleLayout><animateIconify>no</animateIconify></theme>
  <desktops><number>1</number></desktops>
  <keyboard>
    <keybind key="A-F4"><action name="Close"/></keybind>
    <keybind key="A-F10"><action name="Maximize"/></keybind>
    <keybind key="A-F5"><action name="Unmaximize"/></keybind>
  </keyboard>
  <mouse>
    <context name="Client">
      <mousebind button="Left" action="Press">
        <action name="Focus"/><action name="Raise"/>
      </mousebind>
      <mousebind button="Middle" action="Press">
        <action name="Focus"/><action name="Raise"/>
      </mousebind>
      <mousebind button="Right" action="Press">
        <action name="Focus"/><action name="Raise"/>
      </mousebind>
    </context>
  </mouse>
</openbox_config>
"""


# ---------------------------------------------------------------------------
# The two main windows as designed: each control's box in twips, inside its
# container. Only the controls the tests look at or press are listed.


class Design:
    def __init__(self, title, inner_width, inner_height, controls):
        self.title = title
        self.inner_width = inner_width
        self.inner_height = inner_height
        self.controls = controls  # name -> (container or None, left, top, width, height)

    def box_twips(self, name):
        """The control's box in twips, measured from the window's inner area."""
        container, left, top, width, height = self.controls[name]
        while container is not None:
            container, outer_left, outer_top, _, _ = self.controls[container]
            left += outer_left
            top += outer_top
        return left, top, width, height


def _centre_buttons():
    columns, rows = (135, 1425, 2715), (225, 825, 1425)
    buttons = {f"Option1({i})": ("frame1", columns[i % 3], rows[i // 3], 1230, 585)
               for i in range(9)}
    buttons["Option1(9)"] = ("frame1", 135, 2025, 1860, 630)
    buttons["Option1(10)"] = ("frame1", 2085, 2025, 1860, 630)
    return buttons


START = Design("Dorvala", 11880, 8310, {
    "frmTitolo": (None, 0, 0, 11745, 2295),
    "Shape4": ("frmTitolo", 8340, 30, 3180, 1935),
    "frame1": (None, 6525, 2805, 4125, 2805),
    "Frame2": (None, 6525, 5685, 4125, 2400),
    **_centre_buttons(),
    "Option2(0)": ("Frame2", 90, 150, 3870, 630),  # "Vai"
    "Option2(1)": ("Frame2", 90, 840, 3870, 630),  # "Ripristina"
    "Option2(2)": ("Frame2", 90, 1515, 3870, 630),  # "Esci"
})
START_CAPTIONS = {**{str(i): f"Option1({i})" for i in range(11)},
                  "Vai": "Option2(0)", "Ripristina": "Option2(1)", "Esci": "Option2(2)"}


def _keypad():
    keys = {}
    for i, left in enumerate((90, 900, 1695, 2490, 3285)):
        keys[f"Option1({i})"] = ("fraTastierino", left, 120, 780, 615)
        keys[f"Option1({i + 5})"] = ("fraTastierino", left, 765, 780, 615)
    keys["Option1(10)"] = ("fraTastierino", 90, 1410, 1980, 615)  # "Cancella"
    keys["Option1(11)"] = ("fraTastierino", 2100, 1410, 1965, 615)  # "Avanti"
    keys["Option1(12)"] = ("fraTastierino", 90, 2055, 2328, 615)  # "Nuovo sole"
    keys["Option1(13)"] = ("fraTastierino", 2448, 2055, 1632, 615)  # "Esco"
    return keys


RESULT_BOXES = [(3030, 255, 810, 810), (5055, 915, 810, 810), (5595, 2895, 810, 810),
                (5040, 4785, 810, 810), (3030, 5640, 810, 810), (750, 4785, 810, 810),
                (255, 2895, 885, 810), (750, 915, 810, 810)]

ADDEND_BOXES = [(2985, 1710, 795, 495), (4020, 2205, 795, 495), (4425, 3120, 795, 495),
                (4020, 4200, 795, 495), (2985, 4665, 795, 495), (1860, 4200, 795, 495),
                (1605, 3120, 795, 495), (1860, 2205, 795, 810)]

EXERCISE = Design("Form1", 11910, 8565, {
    "fraTastierino": (None, 7260, 5208, 4224, 2760),
    **_keypad(),
    "frame1": (None, 492, 1215, 6465, 6465),
    **{f"lblRisultato({ray})": ("frame1", *box) for ray, box in enumerate(RESULT_BOXES)},
    **{f"Label2({ray})": ("frame1", *box) for ray, box in enumerate(ADDEND_BOXES)},
    "Shape2": ("frame1", 2700, 2730, 1425, 1425),  # the centre disc
    "Shape1(1)": ("frame1", 1275, 1350, 4215, 4080),  # the large disc
    # A corner of the sun's frame that nothing covers: it shows the frame's colour.
    "frame1 corner": ("frame1", 60, 60, 450, 450),
})
KEYPAD_CAPTIONS = {**{str(i): f"Option1({i})" for i in range(10)},
                   "Cancella": "Option1(10)", "Avanti": "Option1(11)",
                   "Nuovo sole": "Option1(12)", "Esco": "Option1(13)"}
KEYPAD_ORDER = [str(i) for i in range(10)] + ["Cancella", "Avanti", "Nuovo sole", "Esco"]


# ---------------------------------------------------------------------------
# Screenshots.


class Rect:
    def __init__(self, left, top, right, bottom):
        self.left, self.top, self.right, self.bottom = left, top, right, bottom

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    def centre(self):
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2

    def inset(self, pixels):
        return Rect(self.left + pixels, self.top + pixels, self.right - pixels,
                    self.bottom - pixels)

    def __repr__(self):
        return f"Rect({self.left}, {self.top}, {self.right}, {self.bottom})"


def _rgb(hex_colour):
    return tuple(int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))


def near(rgb, hex_colour, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, _rgb(hex_colour)))


class Shot:
    """One screenshot of the whole screen: one 32-bit 0xRRGGBB value per pixel."""

    def __init__(self, width, height, stride, pixels):
        self.width, self.height, self.stride = width, height, stride
        self.pixels = pixels  # memoryview of unsigned ints, stride of them per row

    def value(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return 0
        return self.pixels[y * self.stride + x] & 0xFFFFFF

    def rgb(self, x, y):
        v = self.value(x, y)
        return (v >> 16, (v >> 8) & 0xFF, v & 0xFF)

    def pixel(self, x, y):
        return "%06X" % self.value(x, y)

    def colours(self, rect):
        counts = collections.Counter()
        left, right = max(rect.left, 0), min(rect.right, self.width)
        for y in range(max(rect.top, 0), min(rect.bottom, self.height)):
            counts.update(self.pixels[y * self.stride + left:y * self.stride + right])
        return counts

    def dominant(self, rect):
        """The colour most of the box shows: a control's back colour behind its caption."""
        counts = self.colours(rect.inset(3))
        if not counts:
            return None
        return "%06X" % (counts.most_common(1)[0][0] & 0xFFFFFF)

    def count(self, rect, hex_colour, tolerance=0):
        return sum(n for v, n in self.colours(rect).items()
                   if near((v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF), hex_colour, tolerance))

    def bounds(self, rect, hex_colour, tolerance=0):
        """The smallest Rect holding every pixel of the colour within rect, or None."""
        xs, ys = [], []
        for y in range(max(rect.top, 0), min(rect.bottom, self.height)):
            for x in range(max(rect.left, 0), min(rect.right, self.width)):
                if near(self.rgb(x, y), hex_colour, tolerance):
                    xs.append(x)
                    ys.append(y)
        return Rect(min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None

    def save(self, path):
        """Writes the screenshot as a PPM picture."""
        with open(path, "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            for y in range(self.height):
                row = self.pixels[y * self.stride:y * self.stride + self.width].cast("B")
                rgb = bytearray(3 * self.width)
                rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
                out.write(rgb)


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong)]


class Screen:
    """Reads the screen's pixels straight from the X server (XGetImage)."""

    Z_PIXMAP, ALL_PLANES = 2, 0xFFFFFFFF

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open the display {display}")
        self.root = self.x.XDefaultRootWindow(self.display)

    def grab(self):
        image = self.x.XGetImage(self.display, self.root, 0, 0, SCREEN[0], SCREEN[1],
                                 self.ALL_PLANES, self.Z_PIXMAP)
        if not image:
            raise RuntimeError("XGetImage failed")
        try:
            i = image.contents
            if i.bits_per_pixel != 32 or i.red_mask != 0xFF0000 or i.byte_order != 0:
                raise RuntimeError("the screen is not 32-bit 0xRRGGBB, low byte first")
            data = ctypes.string_at(i.data, i.bytes_per_line * i.height)
            return Shot(i.width, i.height, i.bytes_per_line // 4, memoryview(data).cast("I"))
        finally:
            self.x.XFree(image.contents.data)
            self.x.XFree(image)

    def close(self):
        self.x.XCloseDisplay(self.display)


# ---------------------------------------------------------------------------
# Windows of the program.


class Window:
    """A top-level window of the program, with its design; geometry is read anew on demand."""

    def __init__(self, desktop, wid, design):
        self.desktop = desktop
        self.wid = wid
        self.design = design
        x, y, width, height, _ = self.geometry()
        # Shown first at its design size, so what is above the inner area is the menu bar.
        self.menu_height = height - round(design.inner_height / TWIPS_PER_PIXEL)
        if not 0 < self.menu_height < 60:
            raise AssertionError(f"{design.title}: unexpected first size {width}x{height}")

    def geometry(self):
        """Left, top, width, height on the screen and whether the window is viewable."""
        text = self.desktop.run(["xwininfo", "-id", str(self.wid)])
        field = lambda name: int(re.search(rf"{name}:\s+(-?\d+)", text).group(1))
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                field("Height"), "IsViewable" in text)

    def viewable(self):
        return self.geometry()[4]

    def inner(self):
        x, y, width, height, _ = self.geometry()
        return Rect(x, y + self.menu_height, x + width, y + height)

    def rect(self, name, inner=None):
        """Where a control is on the screen now, its design box scaled to the inner area."""
        inner = inner or self.inner()
        name = self._control(name)
        left, top, width, height = self.design.box_twips(name)
        scale_x = inner.width * TWIPS_PER_PIXEL / self.design.inner_width
        scale_y = inner.height * TWIPS_PER_PIXEL / self.design.inner_height
        px = lambda twips, scale: twips / TWIPS_PER_PIXEL * scale
        return Rect(inner.left + round(px(left, scale_x)), inner.top + round(px(top, scale_y)),
                    inner.left + round(px(left + width, scale_x)),
                    inner.top + round(px(top + height, scale_y)))

    def _control(self, name):
        captions = START_CAPTIONS if self.design is START else KEYPAD_CAPTIONS
        return captions.get(name, name)

    def activate(self):
        self.desktop.xdotool("windowactivate", "--sync", str(self.wid))

    def active(self):
        active = self.desktop.run(["xdotool", "getactivewindow"], check=False)
        return active.strip() == str(self.wid)


# ---------------------------------------------------------------------------
# The desktop: X server, window manager, program.


def _die_with_parent():
    # The children go when the test goes, even if it is killed outright.
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


class TestTimeout(Exception):
    pass


def _on_alarm(signum, frame):
    raise TestTimeout(f"the test ran longer than {DEADLINE} seconds")


class Desktop:
    def __init__(self, program, name):
        self.program = os.path.abspath(program)
        self.name = name
        self.work = tempfile.mkdtemp(prefix=f"pinnuvo-{name}-")
        self.env = None
        self.xvfb = self.wm = self.app = None
        self.screen = None
        self.last_shot = None
        self.steps = []

    # -- set-up and tear-down

    def __enter__(self):
        signal.signal(signal.SIGALRM, _on_alarm)
        signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
        signal.alarm(DEADLINE)
        try:
            self._start_x()
            self._start_wm()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, kind, value, trace):
        signal.alarm(0)
        try:
            if kind is not None:
                self._keep_evidence()
        finally:
            if self.screen is not None:
                self.screen.close()
            for process in (self.app, self.wm, self.xvfb):
                self._stop(process)
            shutil.rmtree(self.work, ignore_errors=True)
        return False

    def _stop(self, process):
        if process is None or process.poll() is not None:
            return
        process.send_signal(signal.SIGCONT)  # a paused program could not end
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=5)

    def _keep_evidence(self):
        folder = os.path.join(os.getcwd(), "desktop-failures")
        os.makedirs(folder, exist_ok=True)
        if self.last_shot is not None:
            picture = os.path.join(folder, f"{self.name}.ppm")
            self.last_shot.save(picture)
            print(f"last screenshot: {picture}")
        print("steps so far: " + " | ".join(self.steps[-15:]))
        log = os.path.join(self.work, "program.log")
        if os.path.exists(log):
            with open(log, errors="replace") as text:
                tail = text.read()[-2000:]
            if tail.strip():
                print("program output:\n" + tail)

    def _start_x(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
             "-dpi", "96", "-nolisten", "tcp", "-noreset",
             # Keyboard auto-repeat on, as on a pupil's desktop: 250 ms, then 30 a second.
             "-ardelay", "250", "-arinterval", "33"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + WAIT
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("WAYLAND_DISPLAY", "XAUTHORITY")}
        self.env["DISPLAY"] = ":" + number.decode().strip()
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.screen = Screen(self.env["DISPLAY"])

    def _start_wm(self):
        rc = os.path.join(self.work, "openbox-rc.xml")
        with open(rc, "w") as out:
            out.write(OPENBOX_RC)
        self.wm = subprocess.Popen(["openbox", "--sm-disable", "--config-file", rc], env=self.env,
                                   cwd=self.work, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, preexec_fn=_die_with_parent)
        # openbox announces itself before it handles the first windows, and a
        # window mapped in between, or while it still lets go of another one,
        # stays unmanaged and unseen: the manager is ready once it has shown a
        # probe window and forgotten it again.
        client_list = lambda: self.run(["xprop", "-root", "_NET_CLIENT_LIST"], check=False)
        for attempt in range(3):
            probe = subprocess.Popen(["xev", "-name", "window manager probe"], env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                self.wait_until("the window manager shows a window",
                                lambda: "window id # 0x" in client_list(), timeout=5)
                shown = True
            except AssertionError:
                shown = False
            probe.terminate()
            probe.wait(timeout=WAIT)
            if shown:
                self.wait_until("the window manager lets go of the window",
                                lambda: "window id # 0x" not in client_list())
                return
        raise RuntimeError("the window manager does not show windows")

    def start_program(self, wait=True):
        """Starts the program in an empty folder and returns its start window (if wait)."""
        self.step("start the program")
        folder = tempfile.mkdtemp(dir=self.work)
        log = open(os.path.join(self.work, "program.log"), "ab")
        self.app = subprocess.Popen([self.program], env=self.env, cwd=folder, stdout=log,
                                    stderr=subprocess.STDOUT, preexec_fn=_die_with_parent)
        log.close()
        return self.window(START) if wait else None

    def pause(self, paused):
        """Stops or continues the program, to look at it between two of its steps."""
        os.kill(self.app.pid, signal.SIGSTOP if paused else signal.SIGCONT)

    def exit_status(self):
        """Waits for the program to end and returns its exit status."""
        self.step("wait for the program to end")
        try:
            return self.app.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program did not end within {WAIT} s")

    def running(self):
        return self.app is not None and self.app.poll() is None

    # -- commands

    def step(self, text):
        self.steps.append(text)

    def run(self, command, check=True, timeout=WAIT):
        result = subprocess.run(command, env=self.env, capture_output=True, text=True,
                                timeout=timeout)
        if check and result.returncode != 0:
            raise RuntimeError(f"{' '.join(command)} failed: {result.stderr.strip()}")
        return result.stdout

    def xdotool(self, *args):
        return self.run(["xdotool", *args])

    def key(self, *keys):
        """Presses and releases each key in turn, as a pupil types them."""
        self.step("keys " + " ".join(keys))
        self.xdotool("key", "--delay", "40", *keys)

    def hold(self, key, seconds=1.0):
        """Holds a key down, so that the X server repeats it, then lets it go."""
        self.step(f"hold {key} {seconds}s")
        self.xdotool("keydown", key)
        time.sleep(seconds)
        self.xdotool("keyup", key)

    def click(self, point, button=1):
        self.step(f"click {button} at {point}")
        self.xdotool("mousemove", str(point[0]), str(point[1]), "click", str(button))

    def window(self, design, timeout=WAIT):
        """Waits for the program's visible window with the design's title."""
        self.step(f"wait for window {design.title}")
        found = []
        self.wait_until(f"the window {design.title} appears",
                        lambda: found.append(self.find_window(design)) or found[-1], timeout)
        return found[-1]

    def find_window(self, design):
        """The program's window with the design's title if it is shown now, else None."""
        ids = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{design.title}$"],
                       check=False).split()
        return Window(self, int(ids[0]), design) if ids else None

    def window_exists(self, design):
        """Whether the program has a window with the design's title at all, shown or not."""
        ids = self.run(["xdotool", "search", "--name", f"^{design.title}$"], check=False)
        return bool(ids.split())

    # -- looking

    def screenshot(self):
        self.last_shot = self.screen.grab()
        return self.last_shot

    def wait_until(self, what, condition, timeout=WAIT):
        """Polls condition() until it holds; fails, naming what was awaited, after timeout."""
        deadline = time.monotonic() + timeout
        while True:
            if condition():
                return
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out waiting until {what}")
            time.sleep(0.05)

    def wait_for(self, what, looks_right, timeout=WAIT):
        """Takes screenshots until one satisfies looks_right(shot); returns it."""
        self.step(f"wait: {what}")
        found = []

        def check():
            shot = self.screenshot()
            if looks_right(shot):
                found.append(shot)
                return True
            return False

        self.wait_until(what, check, timeout)
        return found[0]


def focused_buttons(shot, window, captions, inner=None):
    """The captions of the buttons that show the focus colour."""
    inner = inner or window.inner()
    return [c for c in captions if shot.dominant(window.rect(c, inner)) == FOCUS]


def main(tests):
    """Runs the test named on the command line: `<script> <test> <path to pinnuvo>`."""
    if len(sys.argv) != 3 or sys.argv[1] not in tests:
        sys.exit(f"usage: {sys.argv[0]} {{{','.join(tests)}}} <program>")
    name, program = sys.argv[1], sys.argv[2]
    started = time.monotonic()
    with Desktop(program, name) as desktop:
        tests[name](desktop)
    print(f"{name}: passed in {time.monotonic() - started:.1f} s")
