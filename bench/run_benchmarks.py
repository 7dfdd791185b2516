#!/usr/bin/env python3
"""Runs the sketch board's benchmarks and prints their figures as Markdown tables.

    run_benchmarks.py --build-dir DIR --compat-lib DIR [--rounds N] micro|program|all

micro:   micro_benchmarks on SDL's dummy driver and on x11 under a private Xvfb, with each SDL
         implementation; medians of several repetitions.
program: the sketch board against the floor program under a private Xvfb, with each SDL
         implementation, interleaved round by round: time to the first presented frame and peak
         memory (medians); then the pen's speed with Right held.
Standard library only. scripts/bench installs, builds and calls this.
"""

import argparse
import json
import os
import socket
import statistics
import struct
import subprocess
import time
from pathlib import Path

SCREEN = "1280x1024x24"
PICTURES = ["Data1.skt", "Data2.skt", "Data3.skt", "Data4.skt", "Data5.skt"]
# Where the probe looks for the title screen: inside the waiting banner, drawn last before the
# title's flip. Its colour is read from the picture itself.
TITLE_PROBE = (370, 895)
TITLE_PICTURE = ("Data5.skt", 350, 860)
FLOOR_PROBE = (640, 512)
FLOOR_COLOUR = "ffffff"
MIB = 1024 * 1024


class Xvfb:
    """A private X server on a display number it picks itself (-displayfd)."""

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
             "-nolisten", "tcp", "-noreset", "-br"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()
        socket_path = "/tmp/.X11-unix/X" + number.decode().strip()
        deadline = time.monotonic() + 10
        while True:
            try:
                with socket.socket(socket.AF_UNIX) as client:
                    client.connect(socket_path)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def implementations(compat_lib):
    """Environment additions for each SDL 1.2 implementation."""
    sdl2_dir = Path(compat_lib).parent
    return {
        "classic": {},
        "compat": {"LD_LIBRARY_PATH": f"{compat_lib}:{sdl2_dir}"},
    }


def environment(extra, display=None, driver=None):
    env = dict(os.environ)
    env.pop("SDL_VIDEODRIVER", None)
    env.pop("DISPLAY", None)
    env.update(extra)
    if display:
        env["DISPLAY"] = display
    if driver:
        env["SDL_VIDEODRIVER"] = driver
    return env


def loaded_sdl(program, extra):
    """The libSDL-1.2 that the dynamic linker picks for the program, as ldd shows it."""
    out = subprocess.run(["ldd", str(program)], env=environment(extra), capture_output=True,
                         text=True, check=True).stdout
    for line in out.splitlines():
        if "libSDL-1.2" in line:
            return line.split("=>")[-1].split("(")[0].strip()
    return "not linked"


def bmp_info(path):
    data = Path(path).read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    pitch = (width * bits + 31) // 32 * 4
    return data, offset, width, height, bits, pitch


def bmp_pixel(path, x, y):
    data, offset, _, height, bits, pitch = bmp_info(path)
    row = height - 1 - y if height > 0 else y
    at = offset + row * pitch + x * (bits // 8)
    blue, green, red = data[at], data[at + 1], data[at + 2]
    return f"{red:02x}{green:02x}{blue:02x}"


def decoded_pictures_bytes(data_dir):
    """Bytes that the five pictures take once loaded: SDL keeps each in its file's own format."""
    total = 0
    for name in PICTURES:
        _, _, _, height, _, pitch = bmp_info(Path(data_dir) / name)
        total += pitch * abs(height)
    return total


def machine():
    model = "unknown"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
    return f"{os.cpu_count()} CPUs, {model}"


def load():
    return " / ".join(f"{value:.2f}" for value in os.getloadavg())


# ---- micro-benchmarks ----

MICRO_ROWS = [
    ("fill/plot_pixel", "white fill through plot_pixel"),
    ("fill/SDL_FillRect", "white fill with SDL_FillRect"),
    ("stamp/stamp_cursor", "stamp without its flip"),
    ("stamp/SDL_Flip", "SDL_Flip of the screen"),
    ("stamp/draw_cursor", "draw_cursor (stamp and flip)"),
    ("drawing_pass/keys/1", "drawing pass, 1 key held"),
    ("drawing_pass/keys/2", "drawing pass, 2 keys held"),
    ("drawing_pass/keys/5", "drawing pass, 5 keys held"),
    ("load_pictures", "load_pictures (five pictures)"),
    ("title/blits", "the title's four blits"),
]
UNIT_TO_US = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def run_micro(build_dir, impls, repetitions):
    program = Path(build_dir) / "bench" / "micro_benchmarks"
    columns, cpu_columns = {}, {}
    with Xvfb() as xvfb:
        for name, extra in impls.items():
            print(f"# {name}: {loaded_sdl(program, extra)}", flush=True)
            for driver, display in (("dummy", None), ("x11", xvfb.display)):
                result = subprocess.run(
                    [str(program), "--benchmark_format=json",
                     f"--benchmark_repetitions={repetitions}",
                     "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.2"],
                    env=environment(extra, display, driver), capture_output=True, text=True)
                if result.returncode != 0:
                    raise RuntimeError(f"micro_benchmarks failed on {name}/{driver}:\n"
                                       f"{result.stderr}")
                report = json.loads(result.stdout)
                wall, cpu = {}, {}
                for entry in report["benchmarks"]:
                    if entry.get("aggregate_name") == "median":
                        scale = UNIT_TO_US[entry["time_unit"]]
                        wall[entry["run_name"]] = entry["real_time"] * scale
                        cpu[entry["run_name"]] = entry["cpu_time"] * scale
                column = f"{name}, {report['context'].get('sdl_video_driver', driver)}"
                columns[column] = wall
                cpu_columns[column] = cpu

    # Wall time is what a user waits for, and a flip's cost is mostly waiting for the X server;
    # CPU time shows the program's own work apart from whatever else the machine is doing.
    print(f"\n## Micro-benchmarks, median of {repetitions} repetitions (µs per call)\n")
    print(f"Machine: {machine()}; load average (1/5/15 min) after: {load()}\n")
    for title, table in (("wall time", columns), ("CPU time", cpu_columns)):
        print(f"| {title} | " + " | ".join(table) + " |")
        print("|---|" + "---:|" * len(table))
        for key, label in MICRO_ROWS:
            cells = [format_us(medians.get(key)) for medians in table.values()]
            print(f"| {label} | " + " | ".join(cells) + " |")
        ratio_row("fill: plot_pixel / SDL_FillRect", table, "fill/plot_pixel",
                  "fill/SDL_FillRect", lambda r: f"{r:.1f}x")
        ratio_row("stamp without flip / one flip (budget ≤ 2 %)", table, "stamp/stamp_cursor",
                  "stamp/SDL_Flip", stamp_share)
        print()


def stamp_share(ratio):
    # Classic's dummy driver has nothing to present: its flip returns at once, so there is no
    # flip cost for the stamp to be measured against.
    if ratio > 1:
        return "– (flip does nothing)"
    return f"{100 * ratio:.2f} % {'ok' if ratio <= 0.02 else 'OVER'}"


def format_us(value):
    if value is None:
        return "–"
    if value < 1:
        return f"{value:.3f}"
    if value < 100:
        return f"{value:.1f}"
    return f"{value:,.0f}"


def ratio_row(label, columns, top, bottom, show):
    cells = []
    for medians in columns.values():
        if medians.get(top) is None or not medians.get(bottom):
            cells.append("–")
        else:
            cells.append(show(medians[top] / medians[bottom]))
    print(f"| {label} | " + " | ".join(cells) + " |")


# ---- whole program ----

def probe(build_dir, mode, target, name, extra, display):
    build = Path(build_dir)
    if target == "floor":
        x, y = FLOOR_PROBE
        colour = FLOOR_COLOUR
        command = [str(build / "bench" / "floor_program")]
    else:
        x, y = TITLE_PROBE
        name, left, top = TITLE_PICTURE
        colour = bmp_pixel(build / name, x - left, y - top)
        command = ["./sketchboard"]
    result = subprocess.run(
        [str(build / "bench" / "screen_probe"), mode, str(x), str(y), colour, "--", *command],
        cwd=build, env=environment(extra, display), capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise RuntimeError(f"screen_probe {mode} {target} on {name}: {result.stderr.strip()}")
    return {key: float(value) for key, value in
            (field.split("=") for field in result.stdout.split())}


# Start-up figures: (probe key, label, held to the budget). The first flip's return, reported
# from inside the program, is the budget's figure; the look at the screen comes later by however
# long the probe waits for a CPU, which is longer beside the sketch board, whose title wait keeps
# a core busy, than beside the floor, which sleeps.
TIME_ROWS = [
    ("flip_ms", "start to first flip returned", True),
    ("first_frame_ms", "start to first frame seen on screen", False),
    ("flip_cpu_ms", "CPU time to first flip", False),
]


def run_program(build_dir, impls, rounds, pen_rounds):
    pictures = decoded_pictures_bytes(Path(build_dir))
    samples = {(name, target): [] for name in impls for target in ("floor", "sketchboard")}
    pens = {name: [] for name in impls}
    load_before = load()
    with Xvfb() as xvfb:
        for name, extra in impls.items():
            print(f"# {name}: {loaded_sdl(Path(build_dir) / 'sketchboard', extra)}", flush=True)
        # Interleaved so that whatever else the machine does falls on both programs alike;
        # the order within a round alternates.
        for round_number in range(rounds):
            for name, extra in impls.items():
                targets = ("floor", "sketchboard")
                if round_number % 2:
                    targets = targets[::-1]
                for target in targets:
                    samples[(name, target)].append(
                        probe(build_dir, "first-frame", target, name, extra, xvfb.display))
        for _ in range(pen_rounds):
            for name, extra in impls.items():
                pens[name].append(probe(build_dir, "pen-speed", "sketchboard", name, extra,
                                        xvfb.display)["steps_per_second"])
    load_after = load()

    print(f"\n## Whole program under Xvfb ({SCREEN}), medians of {rounds} interleaved runs\n")
    print(f"Machine: {machine()}; load average (1/5/15 min) before: {load_before}, "
          f"after: {load_after}\n")
    print(f"Decoded pictures: {pictures:,} bytes ({pictures / MIB:.2f} MiB)\n")
    print("| | floor | sketch board | ratio | budget | |")
    print("|---|---:|---:|---:|---|---|")
    for name in impls:
        floor = samples[(name, "floor")]
        board = samples[(name, "sketchboard")]
        for key, label, budget in TIME_ROWS:
            floor_ms = statistics.median(s[key] for s in floor)
            board_ms = statistics.median(s[key] for s in board)
            ratio = board_ms / floor_ms
            verdict = ("ok" if ratio <= 1.3 else "OVER") if budget else ""
            print(f"| {name}: {label} (ms) | {floor_ms:.1f} | {board_ms:.1f} | {ratio:.2f} | "
                  f"{'≤ 1.30' if budget else ''} | {verdict} |")
        floor_kib = statistics.median(s["peak_kib"] for s in floor)
        board_kib = statistics.median(s["peak_kib"] for s in board)
        limit_kib = floor_kib + (pictures + 10 * MIB) / 1024
        print(f"| {name}: peak memory, VmHWM (MiB) | {floor_kib / 1024:.1f} | "
              f"{board_kib / 1024:.1f} | +{(board_kib - floor_kib) / 1024:.1f} MiB | "
              f"≤ {limit_kib / 1024:.1f} | {'ok' if board_kib <= limit_kib else 'OVER'} |")
    print()
    for name in impls:
        for target in ("floor", "sketchboard"):
            runs = samples[(name, target)]
            flips = [s["flip_ms"] for s in runs]
            late = [s["first_frame_ms"] - s["flip_ms"] for s in runs]
            print(f"- {name}, {target}: first flip returned after {min(flips):.1f}–"
                  f"{max(flips):.1f} ms; seen on screen {statistics.median(late):.1f} ms "
                  f"later (median), the screen read every "
                  f"{statistics.median(s['poll_ms'] for s in runs):.2f} ms")
    print(f"\n## Pen speed under Xvfb with Right held (median of {pen_rounds} runs)\n")
    print("| | steps per second | time to cross the board (830 steps) |")
    print("|---|---:|---:|")
    for name in impls:
        speed = statistics.median(pens[name])
        print(f"| {name} | {speed:,.0f} | {830 / speed:.2f} s |")
    print()
    for name in impls:
        print(f"- {name}: runs " + ", ".join(f"{value:,.0f}" for value in pens[name]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--compat-lib", required=True,
                        help="folder holding the compat libSDL-1.2.so.0")
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--pen-rounds", type=int, default=3)
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("what", choices=["micro", "program", "all"], nargs="?", default="all")
    args = parser.parse_args()
    args.build_dir = str(Path(args.build_dir).resolve())
    impls = implementations(Path(args.compat_lib).resolve())
    if args.what in ("micro", "all"):
        run_micro(args.build_dir, impls, args.repetitions)
    if args.what in ("program", "all"):
        run_program(args.build_dir, impls, args.rounds, args.pen_rounds)


if __name__ == "__main__":
    main()
