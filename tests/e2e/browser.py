"""The harness's browser configurations: the browser build's site in Chromium, Firefox or WebKit.

The site (--program build-web/site) is copied with the scenario's own pictures in place of its
own and served on 127.0.0.1, on a port the system picks, from a thread of this process. One
engine a configuration, each headless and driven as its own tools allow:
- chromium: Debian's Chromium through /usr/bin/chromedriver, with Selenium;
- firefox: Debian's Firefox ESR through its own WebDriver BiDi (Debian has no geckodriver),
  spoken here over a WebSocket;
- webkit: WebKitGTK's MiniBrowser through WebKitWebDriver, with Selenium, on a private Xvfb.
Keys and pointers go to the page as a person's would (W3C actions, the same in every engine),
and the screen is the page's canvas, read back exactly with getImageData. The server puts a
recorder first in the page: what the page's scripts write on the console (console.* calls,
uncaught errors, unhandled rejections) stands for the program's output. The program has ended
when data-state says so, with data-exit-status as its status.

Beyond Sketchboard's methods, a WebSketchboard can release pictures held back at the server
(hold_pictures=True), replace a file on the server, stop the server (no network), open the page
again, run a script in it, or in every page before the page's own (init_script=...), press the
page's buttons, and take the drawing the page saves. In Chromium it can also stand in for a
tablet or a phone: a touch screen of a given size, touched with fingers.
"""

import base64
import functools
import glob
import http.server
import io
import itertools
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import zlib

import images
from harness import (EXIT_TIMEOUT, SCREEN_HEIGHT, SCREEN_WIDTH, Failure, Sketchboard, Skip,
                     XServer, _end_process, _tie_to_parent)

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FIREFOX = "/usr/bin/firefox-esr"
WEBKIT_DRIVER = "/usr/bin/WebKitWebDriver"
# WebKitGTK's own browser, in its library's folder (multiarch triplet and API version).
MINIBROWSER_GLOB = "/usr/lib/*/webkit2gtk-*/MiniBrowser"
# Headless, as root, and with nothing that reaches beyond 127.0.0.1; timers and rendering at full
# speed although no one looks at the window.
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
    f"--window-size={SCREEN_WIDTH},{SCREEN_HEIGHT}",
]
PICTURE_SUFFIX = ".skt"
SCRIPT_TIMEOUT = 60
BEFORE_PAGE = "harness-before-page.js"

# First in the page the server sends: notes what the page's scripts write on the console. Then
# the scenario's scripts for before the page's own (from the server at every visit, so that
# they change with the scenario even when the service worker keeps the page).
PAGE_RECORDER = """<script>
(function () {
  var written = window.pageConsole = [];
  ['log', 'info', 'warn', 'error', 'debug'].forEach(function (name) {
    var original = console[name];
    console[name] = function () {
      written.push(name + ': ' + Array.prototype.join.call(arguments, ' '));
      return original.apply(console, arguments);
    };
  });
  window.addEventListener('error', function (event) {
    written.push('uncaught: ' + event.message);
  });
  window.addEventListener('unhandledrejection', function (event) {
    written.push('unhandled rejection: ' + event.reason);
  });
})();
</script>
<script src="%s"></script>
""" % BEFORE_PAGE

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

# The next file the page offers to save (a click on a link with a download name), kept instead
# of handed to the browser's downloads: its name and its bytes, base64.
CATCH_SAVE = """
window.savedFile = null;
document.addEventListener('click', (event) => {
  const link = event.target.closest('a[download]');
  if (!link) return;
  event.preventDefault();
  fetch(link.href).then((answer) => answer.blob()).then((blob) => {
    const reader = new FileReader();
    reader.onload = () => {
      window.savedFile = [link.download, reader.result.slice(reader.result.indexOf(',') + 1)];
    };
    reader.readAsDataURL(blob);
  });
}, true);
"""

# The centre of an element in the window and whether it is shown at all.
ELEMENT_BOX = """
const element = document.querySelector(arguments[0]);
if (!element) return null;
const box = element.getBoundingClientRect();
return [box.left, box.top, box.width, box.height,
        getComputedStyle(element).visibility === 'visible' && box.width > 0];
"""

# WebDriver's codes for the keys the scenarios use (the same in every engine's actions).
KEYS = {"Left": "\ue012", "Up": "\ue013", "Right": "\ue014", "Down": "\ue015", "space": "\ue00d"}


def minibrowser():
    found = sorted(glob.glob(MINIBROWSER_GLOB))
    return found[-1] if found else None


def check_tools(engine="chromium"):
    """Skips unless the engine, its driver and the Python modules are here (scripts/test
    installs them)."""
    needed = {"chromium": [CHROMIUM, CHROMEDRIVER], "firefox": [FIREFOX],
              "webkit": [WEBKIT_DRIVER, minibrowser() or MINIBROWSER_GLOB, "/usr/bin/Xvfb"]}
    missing = [path for path in needed[engine] if not os.path.exists(path)]
    modules = {"chromium": ["selenium"], "firefox": ["websocket"], "webkit": ["selenium"]}
    for module in modules[engine] + ["PIL"]:
        try:
            __import__(module)
        except ImportError:
            missing.append(f"the Python module {module}")
    if missing:
        raise Skip(f"missing {', '.join(missing)} (scripts/test installs them)")


class SiteServer:
    """A static file server on 127.0.0.1 for one folder, in a thread: no special headers, .wasm
    as application/wasm. The page comes with PAGE_RECORDER first, and the scripts that
    before_page() gives then. With hold_pictures, requests for pictures wait for release()."""

    def __init__(self, folder, before_page, hold_pictures=False):
        self.pictures_released = threading.Event()
        if not hold_pictures:
            self.pictures_released.set()
        released = self.pictures_released

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm",
                              ".webmanifest": "application/manifest+json"}

            def do_GET(self):
                path = self.path.split("?")[0]
                if path.endswith(PICTURE_SUFFIX):
                    released.wait(60)
                if path in ("/", "/index.html"):
                    with open(os.path.join(folder, "index.html"), encoding="utf-8") as page:
                        text = page.read()
                    self._send(text.replace("<script", PAGE_RECORDER + "<script", 1),
                               "text/html")
                elif path == "/" + BEFORE_PAGE:
                    self._send("\n".join(before_page()), "text/javascript")
                else:
                    super().do_GET()

            def _send(self, text, kind):
                data = text.encode()
                self.send_response(200)
                self.send_header("Content-Type", kind + "; charset=utf-8")
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data)

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


class SeleniumBrowser:
    """Chromium or WebKit, through their WebDriver servers, with Selenium. A WebKit browser
    gets an X server of its own in folder."""

    def __init__(self, engine, folder):
        from selenium import webdriver

        self.engine = engine
        self.xserver = None
        tie = {"preexec_fn": _tie_to_parent(os.getpid())}
        if engine == "chromium":
            from selenium.webdriver.chrome.service import Service

            options = webdriver.ChromeOptions()
            options.binary_location = CHROMIUM
            for flag in CHROMIUM_FLAGS + [f"--user-data-dir={folder}/profile"]:
                options.add_argument(flag)
            # chromedriver dies with the harness, as the programs the harness starts do.
            self.service = Service(CHROMEDRIVER, popen_kw=tie)
            self.driver = webdriver.Chrome(service=self.service, options=options)
        else:
            from selenium.webdriver.webkitgtk.options import Options
            from selenium.webdriver.webkitgtk.service import Service

            self.xserver = XServer(folder)
            self.xserver.start()
            options = Options()
            options.binary_location = minibrowser()
            options.add_argument("--automation")
            self.service = Service(WEBKIT_DRIVER, log_path=os.path.join(folder, "webdriver.log"),
                                   env={**os.environ, "DISPLAY": self.xserver.display},
                                   popen_kw=tie)
            self.service.start()
            self.driver = webdriver.Remote(self.service.service_url, options=options)
            self._fit_window()
        self.driver.set_script_timeout(SCRIPT_TIMEOUT)

    def _fit_window(self):
        """Makes the page's part of the window the screen's size, as in the other engines."""
        self.driver.set_window_rect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT)
        inner = self.driver.execute_script("return [innerWidth, innerHeight]")
        self.driver.set_window_rect(0, 0, 2 * SCREEN_WIDTH - inner[0],
                                    2 * SCREEN_HEIGHT - inner[1])

    def open(self, url):
        self.driver.get(url)

    def script(self, source, *args):
        return self.driver.execute_script(source, *args)

    def async_script(self, source, *args):
        return self.driver.execute_async_script(source, *args)

    def actions(self, sources):
        self.driver.execute("actions", {"actions": sources})

    def cdp(self, command, parameters):
        if self.engine != "chromium":
            raise Failure(f"{command}: only Chromium is driven through its DevTools")
        return self.driver.execute_cdp_cmd(command, parameters)

    def processes(self):
        return [self.service.process.pid]

    def quit(self):
        try:
            self.driver.quit()
        finally:
            self.service.stop()
            if self.xserver is not None:
                self.xserver.stop()


class FirefoxBrowser:
    """Firefox ESR through its own WebDriver BiDi: commands and answers as JSON over a
    WebSocket. Firefox writes the socket's address on its standard error once it listens."""

    def __init__(self, folder):
        import websocket

        profile = os.path.join(folder, "profile")
        os.mkdir(profile)
        self.log_path = os.path.join(folder, "firefox.log")
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                [FIREFOX, "--headless", "--no-remote", "--profile", profile,
                 "--remote-debugging-port=0", "about:blank"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                preexec_fn=_tie_to_parent(os.getpid()))
        self.ids = itertools.count(1)
        try:
            address = self._listening_address(time.monotonic() + 60)
            # Firefox refuses connections that name an origin, as a page would.
            self.socket = websocket.create_connection(address + "/session",
                                                      timeout=SCRIPT_TIMEOUT + 10,
                                                      suppress_origin=True)
            self.command("session.new", capabilities={})
            self.context = self.command("browsingContext.getTree")["contexts"][0]["context"]
            self.command("browsingContext.setViewport", context=self.context,
                         viewport={"width": SCREEN_WIDTH, "height": SCREEN_HEIGHT})
        except BaseException:
            _end_process(self.process, signal.SIGKILL)
            raise

    def _listening_address(self, deadline):
        while True:
            with open(self.log_path, errors="replace") as log:
                found = re.search(r"WebDriver BiDi listening on (ws://\S+)", log.read())
            if found:
                return found.group(1)
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise Failure(f"Firefox gave no WebDriver BiDi address: {self.log()}")
            time.sleep(0.1)

    def log(self):
        with open(self.log_path, errors="replace") as log:
            return log.read()[-2000:]

    def command(self, method, **parameters):
        number = next(self.ids)
        self.socket.send(json.dumps({"id": number, "method": method, "params": parameters}))
        while True:
            answer = json.loads(self.socket.recv())
            if answer.get("id") != number:
                continue  # an event: none is asked for
            if answer.get("type") == "error":
                raise Failure(f"Firefox: {method}: {answer.get('error')}: "
                              f"{answer.get('message')}")
            return answer["result"]

    def open(self, url):
        self.command("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def _call(self, declaration, args):
        result = self.command(
            "script.callFunction", functionDeclaration=declaration, awaitPromise=True,
            target={"context": self.context}, arguments=[_to_bidi(arg) for arg in args],
            serializationOptions={"maxObjectDepth": 8})
        if result["type"] == "exception":
            raise Failure(f"a script failed in Firefox: {result['exceptionDetails']['text']}")
        return _from_bidi(result["result"])

    def script(self, source, *args):
        return self._call("function () {\n" + source + "\n}", args)

    def async_script(self, source, *args):
        """As WebDriver classic runs it: the last argument is the callback that answers."""
        return self._call("function () { const args = Array.from(arguments);"
                          " return new Promise((resolve) => { args.push(resolve);"
                          " (function () {\n" + source + "\n}).apply(this, args); }); }", args)

    def actions(self, sources):
        self.command("input.performActions", context=self.context, actions=sources)

    def cdp(self, command, parameters):
        raise Failure(f"{command}: only Chromium is driven through its DevTools")

    def processes(self):
        return [self.process.pid]

    def quit(self):
        try:
            self.command("browser.close")
            self.socket.close()
        except Exception:  # a Firefox that no longer answers is ended below all the same
            pass
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            _end_process(self.process, signal.SIGKILL)


def _to_bidi(value):
    if value is None:
        return {"type": "null"}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    if isinstance(value, str):
        return {"type": "string", "value": value}
    return {"type": "array", "value": [_to_bidi(item) for item in value]}


def _from_bidi(value):
    kind = value["type"]
    if kind in ("undefined", "null"):
        return None
    if kind == "array":
        return [_from_bidi(item) for item in value.get("value", [])]
    if kind == "object":
        return {key if isinstance(key, str) else str(_from_bidi(key)): _from_bidi(item)
                for key, item in value.get("value", [])}
    if kind == "number" and isinstance(value["value"], str):
        return float(value["value"])  # NaN, -0, Infinity
    return value.get("value", kind)


def _opaque_screen(rgba, what):
    """A screen-sized image from RGBA bytes, every pixel of which must be opaque."""
    count = SCREEN_WIDTH * SCREEN_HEIGHT
    if rgba[3::4] != b"\xff" * count:
        raise Failure(f"{what} has pixels that are not opaque")
    image = images.Image(0, 0)
    image.width, image.height = SCREEN_WIDTH, SCREEN_HEIGHT
    image.rgb = bytearray(count * 3)
    image.rgb[0::3], image.rgb[1::3], image.rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
    return image


class WebSketchboard(Sketchboard):
    """The program in a page of one browser engine; see the module's text."""

    def __init__(self, config, files=None, workdir=None, extra_env=None, argv=None,
                 display=True, hold_pictures=False, init_script=None):
        if workdir or extra_env or argv or not display:
            raise Failure("a page has no working folder, environment, command or display of "
                          "its own: mark the scenario in_browser=False")
        super().__init__(config, files)
        self.hold_pictures = hold_pictures
        self.before_page = [init_script] if init_script else []
        self.site = None
        self.server = None
        self.browser = None
        self.console = []
        self.fingers = []

    # The page's life.

    def start(self):
        self.folder = tempfile.mkdtemp(prefix="sketchboard-web-")
        self.site = os.path.join(self.folder, "site")
        shutil.copytree(self.config.program, self.site,
                        ignore=shutil.ignore_patterns("*" + PICTURE_SUFFIX))
        for name, content in self.files.items():
            if content is not None:
                self.replace_file(name, content)
        self.server = SiteServer(self.site, lambda: self.before_page, self.hold_pictures)
        if self.config.implementation == "firefox":
            self.browser = FirefoxBrowser(self.folder)
        else:
            self.browser = SeleniumBrowser(self.config.implementation, self.folder)
        self.open_page()

    def run_before_page_scripts(self, source):
        """Runs source in every page opened from now on, before the page's own scripts."""
        self.before_page.append(source)

    def open_page(self):
        """Opens the site's address anew, as a person's next visit does."""
        self._read_console()
        self.status, self.stdout, self.stderr = None, b"", b""
        self.browser.open(self.server.url)

    def stop(self):
        try:
            if self.browser is not None:
                try:
                    if self.running():
                        self.key_down("q")
                        self.wait_exit(5)
                        self.key_up("q")
                except Exception:  # the page may be gone; the browser is closed next anyway
                    pass
                self.browser.quit()
                self.browser = None
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
        return self.browser.script(source, *args)

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

    def _read_console(self):
        try:
            self.console += self.script("return window.pageConsole ? pageConsole.splice(0) : []")
        except Exception:  # a page that is going away has nothing more to say
            pass

    def console_messages(self):
        """What the page's scripts wrote on the console since the page was started."""
        self._read_console()
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
        steps = []
        for key in keys:
            value = KEYS.get(key, key)
            if action in ("keydown", "key"):
                steps.append({"type": "keyDown", "value": value})
            if action in ("keyup", "key"):
                steps.append({"type": "keyUp", "value": value})
        self.browser.actions([{"type": "key", "id": "keyboard", "actions": steps}])

    def _pointer(self, steps):
        self.browser.actions([{"type": "pointer", "id": "mouse",
                               "parameters": {"pointerType": "mouse"}, "actions": steps}])

    def mouse_move(self, x, y):
        """Points at the screen's pixel x, y, wherever the page shows the canvas."""
        left, top, scale = self.script(
            "const box = document.querySelector('canvas').getBoundingClientRect();"
            "return [box.left, box.top, box.width / arguments[0]];", SCREEN_WIDTH)
        self._pointer([{"type": "pointerMove", "x": int(left + (x + 0.5) * scale),
                        "y": int(top + (y + 0.5) * scale)}])

    def element_box(self, selector):
        """(left, top, width, height, shown) of the first element selector finds, in CSS pixels
        of the window, or None."""
        return self.script(ELEMENT_BOX, selector)

    def centre(self, selector):
        box = self.element_box(selector)
        if not box or not box[4]:
            raise Failure(f"{selector} is not shown")
        return int(box[0] + box[2] / 2), int(box[1] + box[3] / 2)

    def click(self, selector):
        """A click with the mouse at the element's centre, as a person's."""
        x, y = self.centre(selector)
        self._pointer([{"type": "pointerMove", "x": x, "y": y},
                       {"type": "pointerDown", "button": 0},
                       {"type": "pointerUp", "button": 0}])

    # A touch screen (Chromium only).

    def emulate_touch_screen(self, width, height, scale=2):
        """From now on the window is a touch screen of width x height CSS pixels, scale device
        pixels to the CSS pixel, as a tablet's or a phone's; turned, when width > height."""
        self.browser.cdp("Emulation.setTouchEmulationEnabled", {"enabled": True,
                                                                "maxTouchPoints": 5})
        turned = width > height
        self.browser.cdp("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": scale, "mobile": True,
            "screenOrientation": {"type": "landscapePrimary" if turned else "portraitPrimary",
                                  "angle": 90 if turned else 0}})

    def touch(self, *points):
        """Fingers down at the (x, y) points given (CSS pixels of the window), all at once,
        beside those already down."""
        self.fingers += points
        self._touch_event("touchStart")

    def move_fingers(self, *points):
        """The fingers down, in the order they went down, moved to these points."""
        self.fingers = list(points)
        self._touch_event("touchMove")

    def lift_fingers(self):
        """Every finger up, all at once."""
        self.fingers = []
        self._touch_event("touchEnd")

    def _touch_event(self, kind):
        self.browser.cdp("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [
            {"x": x, "y": y, "id": number} for number, (x, y) in enumerate(self.fingers)]})

    def tap(self, x, y):
        self.touch((x, y))
        self.lift_fingers()

    # What the page saves.

    def saved_drawing(self, press):
        """Calls press() to ask the page for its drawing, and returns the file the page offers:
        its name and the picture in it, which must be a PNG of the screen's size."""
        from PIL import Image as Picture

        self.script(CATCH_SAVE)
        press()
        self.wait_for_page("window.savedFile", "the page to offer a file")
        name, data = self.script("return window.savedFile")
        try:
            picture = Picture.open(io.BytesIO(base64.b64decode(data)))
            picture.load()
        except Exception as error:
            raise Failure(f"{name} is not a picture: {error}")
        if picture.format != "PNG" or picture.size != (SCREEN_WIDTH, SCREEN_HEIGHT):
            raise Failure(f"{name} is a {picture.format} of {picture.size}, not a PNG of "
                          f"{SCREEN_WIDTH} x {SCREEN_HEIGHT}")
        return name, _opaque_screen(picture.convert("RGBA").tobytes(), name)

    # The screen.

    def screen(self):
        answer = self.browser.async_script(READ_CANVAS, SCREEN_WIDTH, SCREEN_HEIGHT)
        if answer.startswith("error"):
            raise Failure(f"the canvas could not be read: {answer}")
        rgba = zlib.decompress(base64.b64decode(answer))
        count = SCREEN_WIDTH * SCREEN_HEIGHT
        if len(rgba) != count * 4:
            raise Failure(f"the canvas holds {len(rgba) // 4} pixels, not {count}")
        if rgba[3::4] == bytes(count):
            # Nothing drawn yet: the page's black shows through the blank canvas.
            rgba = b"\0\0\0\xff" * count
        self.last_screen = _opaque_screen(rgba, "the canvas")
        return self.last_screen

    def wait_for_page(self, condition, what, timeout=EXIT_TIMEOUT):
        """Polls a JavaScript expression in the page until it is true."""
        deadline = time.monotonic() + timeout
        while not self.script(f"return Boolean({condition})"):
            if time.monotonic() > deadline:
                raise Failure(f"waited {timeout} s for {what} ({condition})")
            time.sleep(0.1)
