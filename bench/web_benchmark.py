#!/usr/bin/env python3
"""Measures the browser build in headless Chromium and prints Markdown tables.

    web_benchmark.py --site build-web/site [--rounds N]

- time from navigation to the first frame with the title on the canvas, on a first visit
  (a fresh browser profile) and on the next (the site from the service worker's cache);
- the page's CPU while the title waits and while the board waits with no key held: the
  renderer's main-thread task time (Chrome DevTools' Performance.getMetrics) over 5 s, and
  the CPU time of all of Chromium's processes over the same 5 s (from /proc);
- the pen's speed with Right held, sampled in the page once per frame from the pen's row;
- the sizes of the site's files, as they are and gzipped.

Uses the end-to-end harness's web configuration (tests/e2e/browser.py) to serve the site and
drive Chromium; needs Debian's python3-selenium, chromium and chromium-driver. scripts/bench web
installs, builds and calls this. Not part of the tests.
"""

import argparse
import gzip
import os
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))

import harness  # noqa: E402
from board_model import START  # noqa: E402
from browser import WebSketchboard, check_tools  # noqa: E402

PICTURES = ["Data1.skt", "Data2.skt", "Data3.skt", "Data4.skt", "Data5.skt"]
IDLE_SECONDS = 5.0
PEN_SECONDS = 3.0

# Notes the moment (ms after navigation) of the first frame after the program drew its title,
# which it does before it first hears keys: in the frame where data-state is "running".
TITLE_WATCH = """
(function watch() {
  if (document.body && document.body.dataset.state === 'running') {
    window.titleShownAt = performance.now();
  } else {
    requestAnimationFrame(watch);
  }
})();
"""

# Once per frame, the rightmost pixel of the pen's row in the arms' colour.
PEN_WATCH = """
window.penSamples = [];
const row = arguments[0];
(function sample(now) {
  const pixels = document.querySelector('canvas').getContext('2d')
      .getImageData(0, row, 1280, 1).data;
  let x = -1;
  for (let i = 0; i < 1280; i++) {
    if (pixels[4 * i] === 100 && pixels[4 * i + 1] === 100 && pixels[4 * i + 2] === 200) {
      x = i;
    }
  }
  penSamples.push([now, x]);
  if (!window.penSamplesDone) {
    requestAnimationFrame(sample);
  }
})(performance.now());
"""


def load():
    return "load average " + ", ".join(f"{value:.2f}" for value in os.getloadavg())


def chromium_cpu_seconds(board):
    """CPU time (user + system) of every process under the board's chromedriver: Chromium's
    browser, renderer, GPU and utility processes."""
    stats = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        stats[int(pid)] = (int(fields[1]), int(fields[11]) + int(fields[12]))
    family = {board.driver.service.process.pid}
    grew = True
    while grew:
        grew = False
        for pid, (parent, _) in stats.items():
            if parent in family and pid not in family:
                family.add(pid)
                grew = True
    return sum(stats[pid][1] for pid in family if pid in stats) / os.sysconf("SC_CLK_TCK")


def main_thread_seconds(board):
    metrics = board.driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
    return next(metric["value"] for metric in metrics if metric["name"] == "TaskDuration")


def idle_cpu(board):
    """(main thread %, all of Chromium %) of one core over IDLE_SECONDS."""
    main_before, all_before = main_thread_seconds(board), chromium_cpu_seconds(board)
    started = time.monotonic()
    time.sleep(IDLE_SECONDS)
    elapsed = time.monotonic() - started
    main = (main_thread_seconds(board) - main_before) / elapsed
    whole = (chromium_cpu_seconds(board) - all_before) / elapsed
    return 100 * main, 100 * whole


def pen_speed(board):
    """Steps a second with Right held, from the first step until the pen nears the limit."""
    board.script(PEN_WATCH, START[1])
    board.key_down("Right")
    time.sleep(PEN_SECONDS)
    board.key_up("Right")
    samples = board.script("window.penSamplesDone = true; return penSamples")
    moving = [(t, x) for t, x in samples if START[0] < x < 1100]
    if len(moving) < 2:
        raise harness.Failure(f"the pen did not move: {samples[:5]} ...")
    (t0, x0), (t1, x1) = moving[0], moving[-1]
    return (x1 - x0) / ((t1 - t0) / 1000)


def one_round(config, files):
    """A first visit and a second one in one fresh browser: their times to the title, the idle
    CPU on the title and while drawing, and the pen's speed."""
    figures = {}
    with WebSketchboard(config, files=files, init_script=TITLE_WATCH) as board:
        board.driver.execute_cdp_cmd("Performance.enable", {})
        board.wait_for_page("window.titleShownAt", "the title", 60)
        figures["first visit"] = board.script("return titleShownAt")
        board.wait_for_page("navigator.serviceWorker.controller", "the service worker", 60)
        board.quit()
        board.open_page()
        board.wait_for_page("window.titleShownAt", "the title", 60)
        figures["next visit"] = board.script("return titleShownAt")
        time.sleep(1)
        figures["title waits"] = idle_cpu(board)
        board.key_press("x")
        time.sleep(1)
        figures["no key held"] = idle_cpu(board)
        figures["pen"] = pen_speed(board)
        board.quit()
    return figures


def sizes(site):
    rows = []
    groups = {
        "program (sketchboard.wasm)": ["sketchboard.wasm"],
        "program's JavaScript (sketchboard.js)": ["sketchboard.js"],
        "page (index.html, touch controls, service worker, manifest)": [
            "index.html", "touch_controls.js", "service-worker.js", "manifest.webmanifest"],
        "icons (192 and 512 pixels)": ["sketchboard-192.png", "sketchboard-512.png"],
        "pictures (Data1-5.skt)": PICTURES,
    }
    for label, names in groups.items():
        data = [Path(site, name).read_bytes() for name in names]
        plain = sum(len(part) for part in data)
        packed = sum(len(gzip.compress(part, 9)) for part in data)
        rows.append(f"| {label} | {plain / 1024:,.1f} | {packed / 1024:,.1f} |")
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    check_tools()
    config = harness.Config("bench", args.site, "chromium", "", ".")
    files = {name: Path(args.site, name).read_bytes() for name in PICTURES}

    print(f"Started: {time.strftime('%Y-%m-%d %H:%M:%S %Z')}, {load()}")
    rounds = []
    for number in range(args.rounds):
        rounds.append(one_round(config, files))
        print(f"round {number + 1}: {rounds[-1]}, {load()}", file=sys.stderr)
    print(f"Ended: {time.strftime('%Y-%m-%d %H:%M:%S %Z')}, {load()}\n")

    def median(key, index=None):
        values = [r[key] if index is None else r[key][index] for r in rounds]
        return statistics.median(values), min(values), max(values)

    print(f"| median of {args.rounds} rounds (min–max) | figure | budget |")
    print("|---|---:|---|")
    for key in ("first visit", "next visit"):
        mid, low, high = median(key)
        print(f"| navigation to the title, {key} (ms) | {mid:.0f} ({low:.0f}–{high:.0f}) | |")
    for key in ("title waits", "no key held"):
        for index, what in ((0, "page's main thread"), (1, "all of Chromium")):
            mid, low, high = median(key, index)
            budget = "≤ 10 %" if index == 0 else ""
            print(f"| CPU, {key}, {what} (% of a core) | {mid:.1f} ({low:.1f}–{high:.1f})"
                  f" | {budget} |")
    mid, low, high = median("pen")
    print(f"| pen with Right held (steps/s) | {mid:.0f} ({low:.0f}–{high:.0f}) | ≥ 150 |")
    print("\n| site file | KiB | gzipped KiB |\n|---|---:|---:|")
    print("\n".join(sizes(args.site)))


if __name__ == "__main__":
    sys.exit(main())
