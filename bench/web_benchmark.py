#!/usr/bin/env python3
"""Measures the browser build in headless Chromium, Firefox and WebKit and prints Markdown tables.

    web_benchmark.py --site build-web/site [--rounds N] [--engines chromium,firefox,webkit]

In each engine:
- time from navigation to the first frame with the title on the canvas, on a first visit
  (a fresh browser profile) and on the next (the site from the service worker's cache);
- the CPU while the title waits and while the board waits with no key held, over 5 s: the CPU
  time of all of the browser's processes (from /proc), and in Chromium also the renderer's
  main-thread task time (Chrome DevTools' Performance.getMetrics);
- the pen's speed with Right held, as a key and as the page's Right control (held with a
  finger where the engine's WebDriver has touch, with the mouse in WebKit's), sampled in the
  page once per frame from the pen's row;
- the sizes of the site's files, as they are and gzipped.

Uses the end-to-end harness's browser configurations (tests/e2e/browser.py) to serve the site
and drive the engines, with the packages scripts/lib/setup.sh's ensure_web_packages installs.
scripts/bench web installs, builds and calls this. Not part of the tests.
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
from harness import WEB_ENGINES  # noqa: E402

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

# Every half second, the rightmost pixel of the pen's row in the arms' colour. Not once a frame:
# reading the canvas back costs Firefox so much that the pen slowed to a fifth.
PEN_WATCH = """
window.penSamples = [];
const row = arguments[0];
function sample() {
  const pixels = document.querySelector('canvas').getContext('2d')
      .getImageData(0, row, 1280, 1).data;
  let x = -1;
  for (let i = 0; i < 1280; i++) {
    if (pixels[4 * i] === 100 && pixels[4 * i + 1] === 100 && pixels[4 * i + 2] === 200) {
      x = i;
    }
  }
  penSamples.push([performance.now(), x]);
}
window.penSampler = setInterval(sample, 500);
"""


def load():
    return "load average " + ", ".join(f"{value:.2f}" for value in os.getloadavg())


# The page has seen a touch (its controls show), and the Right control's centre.
SHOW_CONTROLS = """
document.body.dispatchEvent(new PointerEvent('pointerdown', {pointerType: 'touch', bubbles: true}));
const box = document.querySelector('[data-key="ArrowRight"]').getBoundingClientRect();
return [Math.round(box.left + box.width / 2), Math.round(box.top + box.height / 2)];
"""


def browser_cpu_seconds(board):
    """CPU time (user + system) of every process under the board's browser or its driver: the
    browser's own, its renderers' and the rest."""
    stats = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        stats[int(pid)] = (int(fields[1]), int(fields[11]) + int(fields[12]))
    family = set(board.browser.processes())
    grew = True
    while grew:
        grew = False
        for pid, (parent, _) in stats.items():
            if parent in family and pid not in family:
                family.add(pid)
                grew = True
    return sum(stats[pid][1] for pid in family if pid in stats) / os.sysconf("SC_CLK_TCK")


def main_thread_seconds(board):
    """The renderer's main-thread time, in Chromium; None elsewhere."""
    if board.config.implementation != "chromium":
        return None
    metrics = board.browser.cdp("Performance.getMetrics", {})["metrics"]
    return next(metric["value"] for metric in metrics if metric["name"] == "TaskDuration")


def idle_cpu(board):
    """(main thread %, all of the browser %) of one core over IDLE_SECONDS."""
    main_before, all_before = main_thread_seconds(board), browser_cpu_seconds(board)
    started = time.monotonic()
    time.sleep(IDLE_SECONDS)
    elapsed = time.monotonic() - started
    main_after = main_thread_seconds(board)
    main = None if main_after is None else 100 * (main_after - main_before) / elapsed
    whole = (browser_cpu_seconds(board) - all_before) / elapsed
    return main, 100 * whole


def hold_right_key(board, seconds):
    board.key_down("Right")
    time.sleep(seconds)
    board.key_up("Right")


def hold_right_control(board, seconds):
    x, y = board.script(SHOW_CONTROLS)
    finger = {"type": "pointer", "id": "finger", "parameters": {"pointerType": "touch"}}
    board.browser.actions([{**finger, "actions": [{"type": "pointerMove", "x": x, "y": y},
                                                  {"type": "pointerDown", "button": 0}]}])
    time.sleep(seconds)
    board.browser.actions([{**finger, "actions": [{"type": "pointerUp", "button": 0}]}])


def pen_speed(board, hold):
    """Steps a second with Right held by hold(board, seconds), from the first step until the pen
    nears the limit."""
    board.script(PEN_WATCH, START[1])
    hold(board, PEN_SECONDS)
    samples = board.script("clearInterval(penSampler); return penSamples")
    moving = [(t, x) for t, x in samples if START[0] < x < 1100]
    if len(moving) < 2:
        raise harness.Failure(f"the pen did not move: {samples[:5]} ...")
    (t0, x0), (t1, x1) = moving[0], moving[-1]
    return (x1 - x0) / ((t1 - t0) / 1000)


def one_round(config, files):
    """A first visit and a second one in one fresh browser: their times to the title, the idle
    CPU on the title and while drawing, and the pen's speed with the key; then a third visit
    for the pen's speed with the control."""
    figures = {}
    with WebSketchboard(config, files=files, init_script=TITLE_WATCH) as board:
        if config.implementation == "chromium":
            board.browser.cdp("Performance.enable", {})
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
        figures["pen, key"] = pen_speed(board, hold_right_key)
        board.quit()
        board.open_page()
        board.wait_for_page("window.titleShownAt", "the title", 60)
        board.key_press("x")
        time.sleep(1)
        figures["pen, control"] = pen_speed(board, hold_right_control)
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
    parser.add_argument("--engines", default=",".join(WEB_ENGINES))
    args = parser.parse_args()
    engines = args.engines.split(",")
    for engine in engines:
        check_tools(engine)
    files = {name: Path(args.site, name).read_bytes() for name in PICTURES}

    print(f"Started: {time.strftime('%Y-%m-%d %H:%M:%S %Z')}, {load()}")
    rounds = {engine: [] for engine in engines}
    # Round by round, the engines in turn, so that whatever else the machine does falls on all.
    for number in range(args.rounds):
        for engine in engines:
            config = harness.Config("bench", args.site, engine, "", ".")
            rounds[engine].append(one_round(config, files))
            print(f"round {number + 1}, {engine}: {rounds[engine][-1]}, {load()}",
                  file=sys.stderr)
    print(f"Ended: {time.strftime('%Y-%m-%d %H:%M:%S %Z')}, {load()}\n")

    def median(engine, key, index=None):
        values = [r[key] if index is None else r[key][index] for r in rounds[engine]]
        if None in values:
            return "–"
        mid, low, high = statistics.median(values), min(values), max(values)
        digits = 1 if key in ("title waits", "no key held") else 0
        return f"{mid:.{digits}f} ({low:.{digits}f}–{high:.{digits}f})"

    def row(label, key, index=None, budget=""):
        cells = " | ".join(median(engine, key, index) for engine in engines)
        print(f"| {label} | {cells} | {budget} |")

    print(f"| median of {args.rounds} rounds (min–max) | {' | '.join(engines)} | budget |")
    print("|---|" + "---:|" * len(engines) + "---|")
    for key in ("first visit", "next visit"):
        row(f"navigation to the title, {key} (ms)", key)
    for key in ("title waits", "no key held"):
        row(f"CPU, {key}, page's main thread (% of a core)", key, 0, "≤ 10 %")
        row(f"CPU, {key}, all of the browser (% of a core)", key, 1)
    row("pen with the Right key held (steps/s)", "pen, key", budget="≥ 150")
    row("pen with the Right control held (steps/s)", "pen, control", budget="≥ 150")
    print("\n| site file | KiB | gzipped KiB |\n|---|---:|---:|")
    print("\n".join(sizes(args.site)))


if __name__ == "__main__":
    sys.exit(main())
