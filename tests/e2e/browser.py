"""The harness's web configuration: the browser build's site in Debian's headless Chromium.

The site (--program build-web/site) is copied with the scenario's own pictures in place of its
own and served on 127.0.0.1, on a port the system picks, from a thread of this process. Selenium
drives Chromium through /usr/bin/chromedriver: keys go to the page as a person's would, and the
screen is the page's canvas, read back exactly with getImageData. What the page's scripts write
on the console (console.* calls, uncaught errors) stands for the program's output; the program
has ended when data-state says so, with data-exit-status as its status.

Beyond Sketchboard's methods, a WebSketchboard can release pictures held back at the server
(hold_pictures=True), replace a file on the server, stop the server (no network), open the page
again, and run a script in it, or in every page before the page's own (init_script=...).
"""

import base64
import functools
import http.server
import os
import shutil
import tempfile
import threading
import time
import zlib

import images
from harness import (EXIT_TIMEOUT, SCREEN_HEIGHT, SCREEN_WIDTH, Failure, Sketchboard, Skip,
                     _tie_to_parent)

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
# Headless, as root, and with nothing that reaches beyond 127.0.0.1; timers and rendering at full
# speed although no one looks at the window.
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
    "--window-size=1280,1024",
]
PICTURE_SUFFIX = ".skt"
# The console's entries that are the page's own; the browser's (a picture's 404, rendering hints)
# come from other sources.
PAGE_SOURCES = ("console-api", "javascript")

# Reads the canvas as RGBA, deflated in the page: 5 MB of pixels cross to the harness in a few
# hundred KB, and Python inflates them at once.
READ_CANVAS = """
const done = arguments[arguments.length - 1];
const pixels = document.querySelector('canvas').getContext('2d')
    .getImageData(0, 0, arguments[0], arguments[1]).data;
new Response(new Blob([pixels]).stream().pipeThrough(new CompressionStream('deflate'))).blob()
  .then((blob) => {
    const reader = new FileReader();
    reader.onload = () => done(reader.result.slice(reader.result.indexOf(',') + 1));
    reader.readAsDataURL(blob);
  }, (error) => done('error: ' + error));
"""

KEYS = {"Left": "ARROW_LEFT", "Right": "ARROW_RIGHT", "Up": "ARROW_UP", "Down": "ARROW_DOWN",
        "space": "SPACE"}


def check_tools():
    """Skips unless Chromium, its driver and Selenium are here (scripts/test installs them)."""
    missing = [path for path in (CHROMIUM, CHROMEDRIVER) if not os.path.exists(path)]
    try:
        import selenium  # noqa: F401
    except ImportError:
        missing.append("python3-selenium")
    if missing:
        raise Skip(f"missing {', '.join(missing)} (scripts/test installs them)")


class SiteServer:
    """A static file server on 127.0.0.1 for one folder, in a thread: no special headers, .wasm
    as application/wasm. With hold_pictures, requests for pictures wait for release()."""

    def __init__(self, folder, hold_pictures=False):
        self.pictures_released = threading.Event()
        if not hold_pictures:
            self.pictures_released.set()
        released = self.pictures_released

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm",
                              ".webmanifest": "application/manifest+json"}

            def do_GET(self):
                if self.path.split("?")[0].endswith(PICTURE_SUFFIX):
                    released.wait(60)
                super().do_GET()

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(
            ("127.0.0.1", 0), functools.partial(Handler, directory=folder))
        self.server.daemon_threads = True
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def release(self):
        self.pictures_released.set()

    def stop(self):
        """Closes the port: from now on every request fails, as with no network."""
        if self.server is not None:
            self.pictures_released.set()
            self.server.shutdown()
            self.server.server_close()
            self.server = None


class WebSketchboard(Sketchboard):
    """The program in a page of headless Chromium; see the module's text."""

    def __init__(self, config, files=None, workdir=None, extra_env=None, argv=None,
                 display=True, hold_pictures=False, init_script=None):
        if workdir or extra_env or argv or not display:
            raise Failure("a page has no working folder, environment, command or display of "
                          "its own: mark the scenario in_browser=False")
        super().__init__(config, files)
        self.hold_pictures = hold_pictures
        self.init_script = init_script
        self.site = None
        self.server = None
        self.driver = None
        self.console = []

    # The page's life.

    def start(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service

        self.folder = tempfile.mkdtemp(prefix="sketchboard-web-")
        self.site = os.path.join(self.folder, "site")
        shutil.copytree(self.config.program, self.site,
                        ignore=shutil.ignore_patterns("*" + PICTURE_SUFFIX))
        for name, content in self.files.items():
            if content is not None:
                self.replace_file(name, content)
        self.server = SiteServer(self.site, self.hold_pictures)
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in CHROMIUM_FLAGS + [f"--user-data-dir={self.folder}/profile"]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        # chromedriver dies with the harness, as the programs the harness starts do.
        service = Service(CHROMEDRIVER, popen_kw={"preexec_fn": _tie_to_parent(os.getpid())})
        self.driver = webdriver.Chrome(service=service, options=options)
        self.driver.set_script_timeout(60)
        if self.init_script:
            self.run_before_page_scripts(self.init_script)
        self.open_page()

    def run_before_page_scripts(self, source):
        """Runs source in every page opened from now on, before the page's own scripts."""
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": source})

    def open_page(self):
        """Opens the site's address anew, as a person's next visit does."""
        self.status, self.stdout, self.stderr = None, b"", b""
        self.driver.get(self.server.url)

    def stop(self):
        try:
            if self.driver is not None:
                try:
                    if self.running():
                        self.key_down("q")
                        self.wait_exit(5)
                        self.key_up("q")
                except Exception:  # the page may be gone; the browser is closed next anyway
                    pass
                self.driver.quit()
                self.driver = None
        finally:
            if self.server is not None:
                self.server.stop()
            if self.folder is not None:
                shutil.rmtree(self.folder, ignore_errors=True)
                self.folder = None

    def replace_file(self, name, content):
        """Writes a file into the served site (an Image as a BMP)."""
        data = images.bmp_bytes(content) if isinstance(content, images.Image) else content
        with open(os.path.join(self.site, name), "wb") as file:
            file.write(data)

    def script(self, source, *args):
        return self.driver.execute_script(source, *args)

    def state(self):
        return self.script("return document.body.dataset.state")

    def running(self):
        return self.state() in ("loading", "running")

    def wait_exit(self, timeout):
        deadline = time.monotonic() + timeout
        while self.running():
            if time.monotonic() > deadline:
                return None
            time.sleep(0.05)
        self._collect()
        return self.status

    def _collect(self):
        state, status, message = self.script(
            "return [document.body.dataset.state, document.body.dataset.exitStatus,"
            " document.getElementById('message').innerText]")
        self.status = int(status) if state == "ended" else f"{state} ({message.strip()})"
        self.stderr = "\n".join(self.console_messages()).encode()

    def console_messages(self):
        """What the page's scripts wrote on the console since the page was started."""
        self.console += [entry["message"] for entry in self.driver.get_log("browser")
                         if entry["source"] in PAGE_SOURCES]
        return self.console

    def _check_alive(self):
        if not self.running():
            self._collect()
            raise Failure(f"the program ended early with status {self.status}; "
                          f"console: {self.stderr[-2000:]!r}", self._screens())

    def request_quit(self):
        raise Failure("a page has no quit request: mark the scenario in_browser=False")

    def send_signal(self, number):
        raise Failure("a page has no signals: mark the scenario in_browser=False")

    def peak_memory_kb(self):
        """The program's memory, which only grows: the WebAssembly memory's size."""
        return self.script("return wasmMemory.buffer.byteLength") // 1024

    # Input.

    def _keys(self, action, keys):
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.keys import Keys

        chain = ActionChains(self.driver)
        for key in keys:
            key = getattr(Keys, KEYS[key]) if key in KEYS else key
            if action in ("keydown", "key"):
                chain.key_down(key)
            if action in ("keyup", "key"):
                chain.key_up(key)
        chain.perform()

    def mouse_move(self, x, y):
        """Points at the screen's pixel x, y, wherever the page shows the canvas."""
        from selenium.webdriver.common.actions.action_builder import ActionBuilder

        left, top, scale = self.script(
            "const box = document.querySelector('canvas').getBoundingClientRect();"
            "return [box.left, box.top, box.width / arguments[0]];", SCREEN_WIDTH)
        builder = ActionBuilder(self.driver)
        builder.pointer_action.move_to_location(int(left + (x + 0.5) * scale),
                                                int(top + (y + 0.5) * scale))
        builder.perform()

    # The screen.

    def screen(self):
        answer = self.driver.execute_async_script(READ_CANVAS, SCREEN_WIDTH, SCREEN_HEIGHT)
        if answer.startswith("error"):
            raise Failure(f"the canvas could not be read: {answer}")
        rgba = zlib.decompress(base64.b64decode(answer))
        count = SCREEN_WIDTH * SCREEN_HEIGHT
        if len(rgba) != count * 4:
            raise Failure(f"the canvas holds {len(rgba) // 4} pixels, not {count}")
        if rgba[3::4] != b"\xff" * count:
            raise Failure("the canvas has pixels that are not opaque")
        image = images.Image(0, 0)
        image.width, image.height = SCREEN_WIDTH, SCREEN_HEIGHT
        image.rgb = bytearray(count * 3)
        image.rgb[0::3], image.rgb[1::3], image.rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
        self.last_screen = image
        return image

    def wait_for_page(self, condition, what, timeout=EXIT_TIMEOUT):
        """Polls a JavaScript expression in the page until it is true."""
        deadline = time.monotonic() + timeout
        while not self.script(f"return Boolean({condition})"):
            if time.monotonic() > deadline:
                raise Failure(f"waited {timeout} s for {what} ({condition})")
            time.sleep(0.1)
