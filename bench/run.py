#!/usr/bin/env python3
"""Benchmarks of the Release build under Xvfb, printed as a table and written
to bench/RESULTS.md. Start-up and peak memory of the program as installed are
measured beside two yardsticks in the same X server and D-Bus session, in
alternating runs: start-up from exec to the first frame of the program's
window on the X server, as a screenshot sees it. The other figures come from
bench_inprocess and from watching the idle program."""

import ctypes
import os
import platform
import re
import select
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

RUNS = 31
IDLE_SECONDS = 10
SETTLE_SECONDS = 3  # the curtains have opened by then
WAIT = 20  # seconds: the longest a program may take to show its window
STILL = 0.5  # seconds a window's picture must stay the same to count as settled
SCREEN = (1280, 1024)

build = Path(sys.argv[1] if len(sys.argv) > 1 else "build-release").resolve()
bench_dir = build / "bench"
here = Path(__file__).resolve().parent


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        display = pipe.readline().strip()
    return xvfb, ":" + display


def start_session_bus():
    """A D-Bus session bus of its own, as a desktop login has one."""
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return bus, bus.stdout.readline().strip()


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class _MapEvent(ctypes.Structure):  # XMapEvent, at the head of the 192-byte XEvent
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int), ("pad", ctypes.c_char * 140)]


class _Attributes(ctypes.Structure):  # the head of XWindowAttributes
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("pad", ctypes.c_char * 200)]


class Screen:
    """Watches the X server for a new top-level window and for its first frame."""

    MAP_NOTIFY, SUBSTRUCTURE_NOTIFY, Z_PIXMAP, ALL_PLANES = 19, 1 << 19, 2, 0xFFFFFFFF

    def __init__(self, display):
        x = self.x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_MapEvent)]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                           ctypes.POINTER(_Attributes)]
        x.XGetImage.restype = ctypes.POINTER(_XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XFree.argtypes = [ctypes.c_void_p]
        self.display = x.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open the display {display}")
        self.root = x.XDefaultRootWindow(self.display)
        self.fd = x.XConnectionNumber(self.display)
        x.XSelectInput(self.display, self.root, self.SUBSTRUCTURE_NOTIFY)
        x.XSync(self.display, 0)

    def grab(self, left, top, width, height):
        """The pixels of a box of the screen, as bytes."""
        image = self.x.XGetImage(self.display, self.root, left, top, width, height,
                                 self.ALL_PLANES, self.Z_PIXMAP)
        if not image:
            raise RuntimeError("XGetImage failed")
        try:
            i = image.contents
            return ctypes.string_at(i.data, i.bytes_per_line * i.height)
        finally:
            self.x.XFree(image.contents.data)
            self.x.XFree(image)

    def drain(self):
        event = _MapEvent()
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, ctypes.byref(event))

    def next_mapped(self, deadline):
        """Waits for a top-level window to be mapped; returns its box on the screen."""
        event = _MapEvent()
        while time.monotonic() < deadline:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, ctypes.byref(event))
                if event.type == self.MAP_NOTIFY and not event.override_redirect:
                    a = _Attributes()
                    self.x.XGetWindowAttributes(self.display, event.window, ctypes.byref(a))
                    left, top = max(a.x, 0), max(a.y, 0)
                    return (left, top, min(a.width, SCREEN[0] - left),
                            min(a.height, SCREEN[1] - top))
            select.select([self.fd], [], [], max(0.0, deadline - time.monotonic()))
        raise RuntimeError("no window was shown")


def first_frame_and_peak(program, screen, env):
    """Milliseconds from exec to the first frame of the program's window on the X
    server, and the program's peak resident memory in KiB once its window has
    settled. The first frame is the first screenshot of the window's place that
    differs from what the screen showed there before the program started."""
    screen.drain()
    before = screen.grab(0, 0, *SCREEN)
    begin = time.perf_counter()
    process = subprocess.Popen([str(program)], env=env, cwd=tempfile.gettempdir(),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + WAIT
        left, top, width, height = screen.next_mapped(deadline)
        # One row across the middle of the window is looked at, which costs the
        # X server and this script little beside the program starting.
        middle = top + height // 2
        empty = before[4 * (middle * SCREEN[0] + left):4 * (middle * SCREEN[0] + left + width)]
        while screen.grab(left, middle, width, 1) == empty:
            if time.monotonic() > deadline:
                raise RuntimeError(f"{program.name} showed no frame")
            time.sleep(0.0005)
        elapsed = (time.perf_counter() - begin) * 1000.0
        shot = screen.grab(left, top, width, height)
        # Its peak memory once it has started: the window's picture has stayed
        # the same for a while (the program's curtains have opened).
        still_since = time.monotonic()
        while time.monotonic() - still_since < STILL and time.monotonic() < deadline:
            time.sleep(0.02)
            again = screen.grab(left, top, width, height)
            if again != shot:
                shot, still_since = again, time.monotonic()
        # The high-water mark of the program's own memory. (The rusage of a
        # child counts the memory of this script too, which it was forked from.)
        status = Path(f"/proc/{process.pid}/status").read_text()
        peak = int(re.search(r"VmHWM:\s+(\d+) kB", status).group(1))
    finally:
        process.terminate()
        process.wait(timeout=WAIT)
    return elapsed, peak


def install(build_dir):
    """The program as `cmake --install` lays it out, in a scratch prefix."""
    prefix = Path(tempfile.mkdtemp(prefix="pinnuvo-bench-"))
    subprocess.run(["cmake", "--install", str(build_dir), "--prefix", str(prefix)], check=True,
                   stdout=subprocess.DEVNULL)
    return prefix, prefix / "bin" / "pinnuvo"


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def context_switches(pid):
    text = Path(f"/proc/{pid}/status").read_text()
    return sum(int(n) for n in re.findall(r"ctxt_switches:\s+(\d+)", text))


def main():
    yardsticks = [bench_dir / "bench_bare_window", bench_dir / "bench_text_window"]
    if not all(p.exists() for p in yardsticks):
        sys.exit(f"no benchmarks in {bench_dir}: build a Release tree first (make bench)")
    prefix, installed = install(build)
    xvfb, display = start_xvfb()
    bus, bus_address = start_session_bus()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               DBUS_SESSION_BUS_ADDRESS=bus_address)
    env.pop("WAYLAND_DISPLAY", None)
    rows = []
    try:
        screen = Screen(display)
        programs = {"empty window": yardsticks[0], "text window": yardsticks[1],
                    "Pinnuvo": installed}
        ms = {name: [] for name in programs}
        kb = {name: [] for name in programs}
        for run in range(RUNS + 1):
            names = list(programs)
            for name in names[run % 3:] + names[:run % 3]:
                elapsed, peak = first_frame_and_peak(programs[name], screen, env)
                if run:  # the first round only warms the caches
                    ms[name].append(elapsed)
                    kb[name].append(peak)
        t = {name: statistics.median(v) for name, v in ms.items()}
        m = {name: statistics.median(v) / 1024 for name, v in kb.items()}
        for name in programs:
            rows.append((f"start-up to the first frame, {name}", f"{t[name]:.1f} ms", ""))
        rows.append(("start-up, Pinnuvo / empty window", f"{t['Pinnuvo'] / t['empty window']:.2f}",
                     ""))
        rows.append(("start-up, Pinnuvo / text window", f"{t['Pinnuvo'] / t['text window']:.2f}",
                     "at most 1.0"))
        rows.append(("start-up, Pinnuvo / text window, fastest runs",
                     f"{min(ms['Pinnuvo']) / min(ms['text window']):.2f}", ""))
        for name in programs:
            rows.append((f"peak resident memory, {name}", f"{m[name]:.1f} MiB", ""))
        rows.append(("peak memory, Pinnuvo / empty window",
                     f"{m['Pinnuvo'] / m['empty window']:.2f}", ""))
        rows.append(("peak memory, Pinnuvo / text window",
                     f"{m['Pinnuvo'] / m['text window']:.2f}", "at most 1.05"))

        inprocess = bench_dir / "bench_inprocess"
        if inprocess.exists():
            out = subprocess.run([str(inprocess)], env=env, capture_output=True, text=True,
                                 timeout=600)
            for line in out.stdout.splitlines():
                if line.startswith("RESULT\t"):
                    _, name, value, goal = line.split("\t")
                    rows.append((name, value, goal))

        idle = subprocess.Popen([str(installed)], env=env, stderr=subprocess.DEVNULL)
        time.sleep(SETTLE_SECONDS)
        cpu0, switches0 = cpu_seconds(idle.pid), context_switches(idle.pid)
        time.sleep(IDLE_SECONDS)
        cpu1, switches1 = cpu_seconds(idle.pid), context_switches(idle.pid)
        idle.kill()
        idle.wait()
        rows.append((f"idle CPU time over {IDLE_SECONDS} s after the curtains",
                     f"{(cpu1 - cpu0) * 1000:.0f} ms", "0"))
        rows.append((f"idle wake-ups over {IDLE_SECONDS} s (context switches)",
                     f"{switches1 - switches0}", "0"))
    finally:
        for process in (bus, xvfb):
            process.terminate()
            process.wait()
        subprocess.run(["rm", "-rf", str(prefix)], check=False)

    width = max(len(r[0]) for r in rows)
    table = [f"| {'measure':<{width}} | value | goal |", f"|{'-' * (width + 2)}|---|---|"]
    table += [f"| {name:<{width}} | {value} | {goal} |" for name, value, goal in rows]
    print("\n".join(table))

    cpu = "unknown"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    qt = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "qt6-base-dev"],
                        capture_output=True, text=True).stdout or "unknown"
    machine = (f"{cpu}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, "
               f"Qt {qt}, Xvfb with a D-Bus session bus, Release build, medians of {RUNS} runs")
    (here / "RESULTS.md").write_text(
        "# Benchmark results\n\n"
        f"Measured by `make bench` on {time.strftime('%Y-%m-%d')}: {machine}.\n"
        "The machine is shared, so single figures move from run to run.\n\n"
        + "\n".join(table) + "\n"
        + ("\n" + (here / "NOTES.md").read_text() if (here / "NOTES.md").exists() else ""))


if __name__ == "__main__":
    main()
