#!/usr/bin/env python3
"""Benchmarks of the Release build under Xvfb, printed as a table and written
to bench/RESULTS.md. Start-up and peak memory are measured side by side with a
bare Qt window, alternating runs; the other figures come from bench_inprocess
and from watching the idle program."""

import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

RUNS = 21
IDLE_SECONDS = 10
SETTLE_SECONDS = 3  # the curtains have opened by then

build = Path(sys.argv[1] if len(sys.argv) > 1 else "build-release").resolve()
bench_dir = build / "bench"
here = Path(__file__).resolve().parent


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        display = pipe.readline().strip()
    return xvfb, ":" + display


def launch_and_wait(program, env):
    begin = time.perf_counter()
    process = subprocess.Popen([str(program)], env=env, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - begin
    process.returncode = status
    return elapsed * 1000.0, usage.ru_maxrss


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def context_switches(pid):
    text = Path(f"/proc/{pid}/status").read_text()
    return sum(int(n) for n in re.findall(r"ctxt_switches:\s+(\d+)", text))


def main():
    if not (bench_dir / "bench_first_paint").exists():
        sys.exit(f"no benchmarks in {bench_dir}: build a Release tree first (make bench)")
    xvfb, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    rows = []
    try:
        bare_ms, bare_kb, ours_ms, ours_kb = [], [], [], []
        for _ in range(RUNS):
            ms, kb = launch_and_wait(bench_dir / "bench_bare_window", env)
            bare_ms.append(ms); bare_kb.append(kb)
            ms, kb = launch_and_wait(bench_dir / "bench_first_paint", env)
            ours_ms.append(ms); ours_kb.append(kb)
        b_ms, o_ms = statistics.median(bare_ms), statistics.median(ours_ms)
        b_kb, o_kb = statistics.median(bare_kb), statistics.median(ours_kb)
        rows.append(("start-up to first paint, bare window", f"{b_ms:.1f} ms", ""))
        rows.append(("start-up to first paint, Pinnuvo", f"{o_ms:.1f} ms", ""))
        rows.append(("start-up ratio", f"{o_ms / b_ms:.2f}", "at most 1.3"))
        rows.append(("peak resident memory, bare window", f"{b_kb / 1024:.1f} MiB", ""))
        rows.append(("peak resident memory, Pinnuvo", f"{o_kb / 1024:.1f} MiB", ""))
        rows.append(("peak memory ratio", f"{o_kb / b_kb:.2f}", "at most 1.3"))

        inprocess = bench_dir / "bench_inprocess"
        if inprocess.exists():
            out = subprocess.run([str(inprocess)], env=env, capture_output=True, text=True,
                                 timeout=600)
            for line in out.stdout.splitlines():
                if line.startswith("RESULT\t"):
                    _, name, value, goal = line.split("\t")
                    rows.append((name, value, goal))

        program = build / "src" / "pinnuvo"
        idle = subprocess.Popen([str(program)], env=env, stderr=subprocess.DEVNULL)
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
        xvfb.terminate()
        xvfb.wait()

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
               f"Qt {qt}, Xvfb, Release build, medians of {RUNS} runs")
    (here / "RESULTS.md").write_text(
        "# Benchmark results\n\n"
        f"Measured by `make bench` on {time.strftime('%Y-%m-%d')}: {machine}.\n"
        "The machine is shared, so single figures move from run to run.\n\n"
        + "\n".join(table) + "\n"
        + ("\n" + (here / "NOTES.md").read_text() if (here / "NOTES.md").exists() else ""))


if __name__ == "__main__":
    main()
