"""Runs the real sketchboard in a private X server, presses its keys and reads its screen.

A scenario is a function of one argument, a Config, listed in its file's SCENARIOS and run by
main(). It uses one Sketchboard (a context manager) and raises Failure when a check fails:

    @scenario(timeout=60)
    def left_arrow_draws(config):
        with Sketchboard(config, files={"Data1.skt": some_image}) as board:
            board.wait_for_screen(expected_title, "the title screen")
            board.key_down("Left")
            board.wait_for(lambda screen: screen.pixel(295, 300) == ARM, "the pen moving left")
            board.key_up("Left")
            board.quit()        # holds q; expects status 0 and no output at all

Sketchboard(config, files=None, workdir=None, extra_env=None, argv=None, display=True)
    files      {name: Image | bytes | None} written into a fresh folder that becomes the
               program's working folder (an Image is written as a BMP; None writes nothing)
    workdir    an existing folder to run in instead
    extra_env  variables to add or, given None, to remove
    argv       a command to run instead of the built program (the library check is then skipped)
    display    False runs the program with no X server and no DISPLAY
  key_down(*keys), key_up(*keys), key_press(*keys), mouse_move(x, y)   (xdotool key names)
  screen()                       the whole screen now, as an images.Image
  wait_for(predicate, what, timeout)         polls the screen until predicate(screen) holds
  wait_for_screen(expected, what, timeout)   ... until it equals expected exactly
  wait_until_still(timeout)      ... until two reads some time apart are the same
  expect_screen(*candidates)     the screen now must equal one of the candidates exactly
  request_quit()                 a quit request: SIGINT, which SDL turns into one; on Windows
                                 taskkill without /F, as the window's close button
  send_signal(number), running(), wait_exit(timeout) -> status or None
  quit()                         holds q until the program ends; checks status 0 and silence
  expect_exit(status)            after it ended: that status, and nothing printed
  peak_memory_kb()               the most memory the program has held so far
  stdout, stderr, status         what the program wrote and how it ended (after it ended)
Keys sent before the program's window exists are lost: wait for the title screen first.
Leaving the with-block stops everything it started, whatever happened: q first, then
SIGKILL; every child is also tied to this process's death, so a killed test leaves no
process behind.

Each scenario file runs one scenario by name (CMakeLists.txt here lists the files):
    python3 tests/e2e/drawing_test.py --program build/sketchboard --implementation compat \
        --compat-root build/sdl12-compat/root held_arrow_leaves_union_of_crosses
The implementation "windows" starts the Windows build (--program build-windows/sketchboard.exe)
with wine, in the Wine prefix that WINEPREFIX names (CTest sets up a fresh one for the run);
scenarios marked linux_only (POSIX signals, no X display) are not run there.
The implementations "chromium", "firefox" and "webkit" open the browser build's site
(--program build-web/site) in that headless browser engine instead (browser.py): the same
Sketchboard methods drive the page, and the page's console stands for the program's output.
Scenarios marked in_browser=False (quit requests, signals, video drivers, files a web server
cannot serve) are not run there, nor linux_only ones; the rest run in Chromium, and those
marked every_engine in Firefox and WebKit too.
With --emulator (and --sysroot) a program built for another architecture runs under qemu's
user-mode emulation, as `qemu-aarch64 -L SYSROOT program`; the sdl12-compat runtime is then the
sysroot's (--compat-root SYSROOT).
A failed check saves the screen, the expected screen and their difference as PNGs in the
--artifacts folder.
"""

import argparse
import ctypes
import glob
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import images

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
DEFAULT_TIMEOUT = 20.0
# How long the program may take to be gone once told to end (q held, or SIGTERM). Its way out
# runs SDL_Quit, which under compat waited for Mesa's shader-cache thread; that thread runs at
# nice 19, so with both cores busy it waited many seconds for a processor (14 s seen). The
# programs under test run without that cache now (see Sketchboard.start); the room stays.
EXIT_TIMEOUT = 30.0
SKIPPED = 77  # CTest's SKIP_RETURN_CODE for this folder

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


class _XImage(ctypes.Structure):
    """The first fields of Xlib's XImage."""

    _fields_ = [(name, ctypes.c_int) for name in (
        "width", "height", "xoffset", "format")] + [("data", ctypes.c_void_p)] + [
        (name, ctypes.c_int) for name in ("byte_order", "bitmap_unit", "bitmap_bit_order",
                                           "bitmap_pad", "depth", "bytes_per_line",
                                           "bits_per_pixel")] + [
        (name, ctypes.c_ulong) for name in ("red_mask", "green_mask", "blue_mask")]


def _xlib():
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetImage.restype = ctypes.POINTER(_XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return xlib


class Failure(Exception):
    """A check that did not hold; images (label -> Image) are saved as PNGs for a person."""

    def __init__(self, message, images_to_save=None):
        super().__init__(message)
        self.images = images_to_save or {}


class Skip(Exception):
    """The machine lacks what the scenario needs (not a fault of the program)."""


class Config:
    """What the command line says: the program, the SDL implementation, where to save PNGs,
    and the sysroot whose libraries the program runs on, with the emulator that runs it there
    for another architecture (for this one, the sysroot's own dynamic loader does)."""

    def __init__(self, name, program, implementation, compat_root, artifacts, emulator="",
                 sysroot=""):
        self.name = name
        self.program = os.path.abspath(program)
        self.implementation = implementation
        self.windows = implementation == "windows"
        self.web = implementation in WEB_ENGINES
        self.artifacts = artifacts
        self.emulator = emulator.split()
        self.sysroot = os.path.abspath(sysroot) if sysroot else ""
        self.loader = (_dynamic_loader(self.program, self.sysroot)
                       if self.sysroot and not self.emulator else "")
        self.library_dirs = []
        if implementation == "compat":
            # Absolute: the program runs in a folder of its own, where a relative
            # LD_LIBRARY_PATH would find nothing and the system's SDL would be taken silently.
            self.library_dirs = _compat_library_dirs(os.path.abspath(compat_root))
        if self.loader:
            # Every library from the sysroot: the C library's folder and the folders within it
            # (a library's RUNPATH names one as on the sysroot's own system, /usr/lib/...).
            libraries = os.path.dirname(os.path.realpath(self.loader))
            self.library_dirs = list(dict.fromkeys(
                [*self.library_dirs, libraries, *sorted(
                    os.path.dirname(path) for path in glob.glob(f"{libraries}/*/*.so*"))]))
        if self.windows and "WINEPREFIX" not in os.environ:
            raise Skip("no WINEPREFIX: the Windows scenarios run from the Windows build's CTest")

    def command(self, program=None, loader_env=()):
        """How to start a program: Windows programs through wine, another architecture's through
        its emulator, this one's on a sysroot's libraries through that sysroot's dynamic loader.
        The emulator is itself a program of this machine: variables for the program's dynamic
        loader (loader_env, "VAR=value") are handed to the program with -E, or they would act on
        the emulator."""
        program = program or self.program
        if self.windows:
            return ["wine", program]
        if self.loader:
            listing = ["--list"] if "LD_TRACE_LOADED_OBJECTS=1" in loader_env else []
            return [self.loader, *listing, "--library-path", ":".join(self.library_dirs),
                    program]
        if not self.emulator:
            return [program]
        if self.library_dirs:
            loader_env = [*loader_env, "LD_LIBRARY_PATH=" + ":".join(self.library_dirs)]
        options = [option for variable in loader_env for option in ("-E", variable)]
        return [*self.emulator, "-L", self.sysroot, *options, program]

    def environment(self, extra_env=None):
        """The process's environment with LD_LIBRARY_PATH set for the implementation."""
        env = dict(os.environ)
        env.pop("LD_LIBRARY_PATH", None)
        if self.library_dirs and not self.emulator and not self.loader:
            env["LD_LIBRARY_PATH"] = ":".join(self.library_dirs)
        for key, value in (extra_env or {}).items():
            if value is None:
                env.pop(key, None)
            else:
                env[key] = value
        return env

    def check_library(self, env):
        """Fails unless ldd shows that the program loads this implementation's libSDL; a
        Windows program must have its SDL.dll beside it."""
        if self.windows:
            dll = os.path.join(os.path.dirname(self.program), "SDL.dll")
            if not os.path.isfile(dll):
                raise Failure(f"no SDL.dll beside {self.program}")
            return
        # On a sysroot the program's own loader lists what it loads, as ldd does; a path it
        # prints under an emulator is looked for in the sysroot first, as the emulator does.
        argv = (self.command(loader_env=["LD_TRACE_LOADED_OBJECTS=1"]) if self.sysroot
                else ["ldd", self.program])
        out = subprocess.run(argv, env=env, capture_output=True, text=True,
                             check=False).stdout
        loaded = [line.split("=>")[1].split("(")[0].strip() for line in out.splitlines()
                  if line.strip().startswith("libSDL-1.2.so.0") and "=>" in line]
        if loaded and self.emulator and os.path.exists(self.sysroot + loaded[0]):
            loaded[0] = self.sysroot + loaded[0]
        if not loaded or not os.path.exists(loaded[0]):
            raise Failure(f"{argv[0]} finds no libSDL-1.2.so.0 for {self.program}:\n{out}")
        real = os.path.realpath(loaded[0])
        # classic 1.2.15 is libSDL-1.2.so.0.11.x; sdl12-compat is libSDL-1.2.so.1.2.x
        is_compat = os.path.basename(real).startswith("libSDL-1.2.so.1.")
        in_compat_dir = any(real.startswith(os.path.realpath(d) + os.sep)
                            for d in self.library_dirs)
        if (self.implementation == "compat") != is_compat or (is_compat and not in_compat_dir):
            raise Failure(f"{self.implementation}: the program would load {real}")


def _dynamic_loader(program, sysroot):
    """The dynamic loader that the program names (e.g. /lib64/ld-linux-x86-64.so.2), in the
    sysroot."""
    headers = subprocess.run(["readelf", "-lW", program], capture_output=True, text=True,
                             check=False).stdout
    for line in headers.splitlines():
        if "Requesting program interpreter:" in line:
            loader = sysroot + line.split(":", 1)[1].strip(" ]")
            if os.path.exists(loader):
                return loader
    raise Failure(f"no dynamic loader for {program} in {sysroot}")


def _compat_library_dirs(root):
    """The folders of the sdl12-compat and SDL2 libraries under root (an extracted runtime, a
    sysroot, or / where the system's SDL 1.2 is sdl12-compat), compat's first."""
    candidates = (glob.glob(os.path.join(root, "usr/lib/*/libSDL-1.2.so.0"))
                  + glob.glob(os.path.join(root, "usr/lib/*/sdl12-compat/libSDL-1.2.so.0")))
    # classic 1.2.15 is libSDL-1.2.so.0.11.x; sdl12-compat is libSDL-1.2.so.1.2.x
    compat = [path for path in candidates
              if os.path.basename(os.path.realpath(path)).startswith("libSDL-1.2.so.1.")]
    sdl2 = glob.glob(os.path.join(root, "usr/lib/*/libSDL2-2.0.so.0"))
    if not compat or not sdl2:
        raise Skip(f"no sdl12-compat runtime under {root}: scripts/test extracts it there")
    return list(dict.fromkeys([os.path.dirname(compat[0]), os.path.dirname(sdl2[0])]))


def _tie_to_parent(parent):
    """Runs in each child before exec: it dies with the harness, and SIGINT is not ignored
    (SDL turns SIGINT into a quit request only when the signal was not ignored already)."""

    def setup():
        _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)
        if os.getppid() != parent:
            os._exit(1)
        signal.signal(signal.SIGINT, signal.SIG_DFL)

    return setup


class XServer:
    """A private Xvfb, 1280x1024 at depth 24, on a display number it chooses itself."""

    def __init__(self, folder):
        self.folder = folder
        self.process = None
        self.display = None

    def start(self):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.folder, "xvfb.log"), "wb")
        try:
            # -noreset: without it the server resets when its first client leaves, and a
            # program connecting at that moment fails to start now and then.
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                preexec_fn=_tie_to_parent(os.getpid()))
        finally:
            os.close(write_end)
            log.close()
        try:
            number = self._read_display_number(read_end, time.monotonic() + 20)
        finally:
            os.close(read_end)
        self.display = f":{number}"
        deadline = time.monotonic() + 20
        while self.run_client(["xdotool", "getdisplaygeometry"], check=False).returncode != 0:
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise Failure(f"Xvfb on {self.display} accepts no client:\n{self.log()}")
            time.sleep(0.05)

    def _read_display_number(self, fd, deadline):
        text = b""
        while not text.endswith(b"\n"):
            ready, _, _ = select.select([fd], [], [], max(deadline - time.monotonic(), 0))
            chunk = os.read(fd, 64) if ready else b""
            if not chunk:
                raise Failure(f"Xvfb gave no display number:\n{self.log()}")
            text += chunk
        return int(text.strip())

    def log(self):
        try:
            with open(os.path.join(self.folder, "xvfb.log"), errors="replace") as log:
                return log.read()[-2000:]
        except OSError:
            return ""

    def run_client(self, argv, check=True, capture=True):
        result = subprocess.run(argv, env={**os.environ, "DISPLAY": self.display},
                                stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                                stderr=subprocess.PIPE, check=False, timeout=30)
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def read_screen(self):
        """The whole screen, in one GetImage request on the root window. (xwd -root also asks
        about every window on the screen, one request at a time, and fails with BadWindow when
        a window goes in between: SDL2 makes its window anew for each renderer it tries.)"""
        xlib = _xlib()
        connection = xlib.XOpenDisplay(self.display.encode())
        if not connection:
            raise Failure(f"cannot connect to the X server on {self.display}:\n{self.log()}")
        try:
            z_pixmap, all_planes = 2, ctypes.c_ulong(-1).value
            image = xlib.XGetImage(connection, xlib.XDefaultRootWindow(connection), 0, 0,
                                   SCREEN_WIDTH, SCREEN_HEIGHT, all_planes, z_pixmap)
            if not image:
                raise Failure(f"the X server on {self.display} gave no image of its screen")
            try:
                got = image.contents
                pixels = ctypes.string_at(got.data, got.bytes_per_line * got.height)
                return images.image_from_pixels(
                    got.width, got.height, pixels, got.bytes_per_line, got.bits_per_pixel,
                    got.byte_order, (got.red_mask, got.green_mask, got.blue_mask))
            finally:
                xlib.XDestroyImage(image)
        finally:
            xlib.XCloseDisplay(connection)

    def stop(self):
        if self.process is None:
            return
        _end_process(self.process, signal.SIGTERM)
        self.process = None


def _end_wine():
    """Ends every process of the Wine prefix (WINEPREFIX), and its wineserver."""
    subprocess.run(["wineserver", "-k"], check=False, timeout=30)
    subprocess.run(["wineserver", "-w"], check=False, timeout=30)


def _end_process(process, first_signal):
    if process.poll() is None:
        process.send_signal(first_signal)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Sketchboard:
    """The program under test on its own X server; see the module's text for the API."""

    def __new__(cls, config, *args, **kwargs):
        if config.web and cls is Sketchboard:
            import browser  # Selenium, only where a browser is driven

            return super().__new__(browser.WebSketchboard)
        return super().__new__(cls)

    def __init__(self, config, files=None, workdir=None, extra_env=None, argv=None,
                 display=True):
        self.config = config
        self.files = files or {}
        self.workdir = workdir
        self.extra_env = extra_env or {}
        self.argv = argv
        self.use_display = display
        self.folder = None
        self.xserver = None
        self.process = None
        self.status = None
        self.stdout = b""
        self.stderr = b""
        self.last_screen = None
        self.focused = False

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        self.folder = tempfile.mkdtemp(prefix="sketchboard-e2e-")
        pictures = os.path.join(self.folder, "pictures")
        os.mkdir(pictures)
        for name, content in self.files.items():
            if content is None:
                continue
            data = images.bmp_bytes(content) if isinstance(content, images.Image) else content
            with open(os.path.join(pictures, name), "wb") as file:
                file.write(data)
        env = self.config.environment(self.extra_env)
        # Only the private X server: SDL2, under compat, would rather use a Wayland desktop.
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        # Under compat, SDL2 draws through Mesa, which keeps a shader cache in the home folder
        # and, in SDL_Quit, waits for the nice-19 thread that writes it: seconds on a busy
        # machine, and the tests have no business in the home folder.
        env["MESA_SHADER_CACHE_DISABLE"] = "true"
        if self.use_display:
            self.xserver = XServer(self.folder)
            self.xserver.start()
            env["DISPLAY"] = self.xserver.display
        argv = self.argv
        if argv is None:
            self.config.check_library(env)
            argv = self.config.command()
        if self.config.windows:
            # A wineserver that an earlier test left running (the unit tests run with no
            # display) keeps its desktop, and a window opened on that desktop has no display to
            # go to: the program's video mode would fail. Start on a Wine of our own.
            _end_wine()
        self._out = open(os.path.join(self.folder, "stdout"), "w+b")
        self._err = open(os.path.join(self.folder, "stderr"), "w+b")
        self.process = subprocess.Popen(argv, cwd=self.workdir or pictures, env=env,
                                        stdin=subprocess.DEVNULL, stdout=self._out,
                                        stderr=self._err,
                                        preexec_fn=_tie_to_parent(os.getpid()))

    def stop(self):
        """Ends all it started: the program with q, else SIGKILL; then the X server."""
        try:
            if self.process is not None and self.process.poll() is None and self.xserver:
                try:
                    self.key_down("q")
                    self.wait_exit(5)
                    self.key_up("q")
                except (Failure, subprocess.SubprocessError):
                    pass
            if self.process is not None:
                _end_process(self.process, signal.SIGKILL)
                self._collect()
            if self.config.windows:
                # Whatever Wine still runs for the program ends with its X server.
                _end_wine()
        finally:
            if self.xserver is not None:
                self.xserver.stop()
            if self.folder is not None:
                shutil.rmtree(self.folder, ignore_errors=True)
                self.folder = None

    def _collect(self):
        self.status = self.process.returncode
        for attr, file in (("stdout", self._out), ("stderr", self._err)):
            if not file.closed:
                file.seek(0)
                setattr(self, attr, file.read())
                file.close()

    # The program's life.

    def running(self):
        return self.process.poll() is None

    def request_quit(self):
        if self.config.windows:
            self.xserver.run_client(["wine", "taskkill", "/IM",
                                     os.path.basename(self.config.program)])
        else:
            self.send_signal(signal.SIGINT)

    def send_signal(self, number):
        self.process.send_signal(number)

    def wait_exit(self, timeout):
        """The exit status, or None if the program still runs after timeout seconds."""
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None
        self._collect()
        return self.status

    def quit(self, timeout=EXIT_TIMEOUT):
        """Holds q until the program ends, then checks that it ended with 0, silently."""
        self.key_down("q")
        status = self.wait_exit(timeout)
        self.key_up("q")
        if status is None:
            raise Failure(f"still running {timeout} s after q was pressed", self._screens())
        self.expect_exit(0)

    def peak_memory_kb(self):
        """The process's peak resident memory so far (VmHWM), in KB."""
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        raise Failure("no VmHWM in /proc/PID/status")

    def expect_exit(self, expected):
        if self.status != expected:
            raise Failure(f"exit status {self.status}, expected {expected}; "
                          f"stderr: {self.stderr[-2000:]!r}")
        if self.stdout or self.stderr:
            raise Failure(f"the program printed: stdout {self.stdout[-1000:]!r}, "
                          f"stderr {self.stderr[-1000:]!r}")

    def _check_alive(self):
        if self.process.poll() is not None:
            self._collect()
            raise Failure(f"the program ended early with status {self.status}; "
                          f"stderr: {self.stderr[-2000:]!r}", self._screens())

    # Input.

    def key_down(self, *keys):
        self._keys("keydown", keys)

    def key_up(self, *keys):
        self._keys("keyup", keys)

    def key_press(self, *keys):
        self._keys("key", keys)

    def _keys(self, action, keys):
        if self.config.windows and not self.focused:
            # Without a window manager the keyboard follows the pointer, and Wine's window
            # does not take the focus by itself: give it the focus once.
            self.xserver.run_client(["xdotool", "search", "--sync", "--onlyvisible", "--class",
                                     os.path.basename(self.config.program),
                                     "windowfocus", "--sync"])
            self.focused = True
        self.xserver.run_client(["xdotool", action, *keys])

    def mouse_move(self, x, y):
        self.xserver.run_client(["xdotool", "mousemove", str(x), str(y)])

    # The screen.

    def screen(self):
        self.last_screen = self.xserver.read_screen()
        return self.last_screen

    def _screens(self, expected=None):
        saved = {}
        if self.last_screen is not None:
            saved["screen"] = self.last_screen
        if expected is not None:
            saved["expected"] = expected
            if self.last_screen is not None:
                saved["difference"] = difference_image(self.last_screen, expected)
        return saved

    def wait_for(self, predicate, what, timeout=DEFAULT_TIMEOUT, expected=None):
        """Reads the screen until predicate(screen) holds; returns that screen."""
        deadline = time.monotonic() + timeout
        while True:
            self._check_alive()
            screen = self.screen()
            if predicate(screen):
                return screen
            if time.monotonic() > deadline:
                detail = describe_difference(screen, expected) if expected else ""
                raise Failure(f"waited {timeout} s for {what}{detail}", self._screens(expected))
            time.sleep(0.02)

    def wait_for_screen(self, expected, what, timeout=DEFAULT_TIMEOUT):
        return self.wait_for(lambda screen: screen.rgb == expected.rgb, what, timeout, expected)

    def wait_until_still(self, timeout=DEFAULT_TIMEOUT, interval=0.3):
        """Waits until two reads of the screen interval seconds apart are the same: a held key
        has taken the pen as far as it goes. Returns the last screen."""
        deadline = time.monotonic() + timeout
        previous = self.screen()
        while True:
            time.sleep(interval)
            self._check_alive()
            current = self.screen()
            if current.rgb == previous.rgb:
                return current
            if time.monotonic() > deadline:
                raise Failure(f"the screen still changed after {timeout} s", self._screens())
            previous = current

    def expect_screen(self, *candidates):
        """The screen, read now, must equal one of the candidates exactly."""
        self._check_alive()
        screen = self.screen()
        if any(screen.rgb == candidate.rgb for candidate in candidates):
            return screen
        raise Failure("the screen differs from what was expected"
                      + describe_difference(screen, candidates[0]),
                      self._screens(candidates[0]))


def describe_difference(screen, expected):
    count, examples, box = screen.differences(expected)
    if count == 0:
        return ""
    lines = [f": {count} pixels differ, within columns {box[0]}..{box[2]}, "
             f"rows {box[1]}..{box[3]}"]
    lines += [f"  ({x}, {y}) is {got}, expected {want}" for x, y, got, want in examples]
    return "\n".join(lines)


def difference_image(screen, expected):
    """Red where the two differ, a faded copy of the expected screen elsewhere."""
    out = expected.copy()
    out.rgb = bytearray(128 + b // 2 for b in expected.rgb)
    for x, y in screen.differing_pixels(expected):
        out.set_pixel(x, y, (255, 0, 0))
    return out


def scenario(timeout=60, linux_only=False, in_browser=True, every_engine=False):
    """Marks a function as a scenario; timeout (seconds) becomes its CTest TIMEOUT. A
    linux_only scenario is about what Windows does not have (POSIX signals, an X display); one
    not in_browser is about what a page does not have (quit requests, signals, video drivers,
    files other than the ones a web server serves). In a browser a scenario runs in Chromium;
    one marked every_engine, which would catch what one engine does differently (how it shows
    the canvas, hands keys to the page, keeps the site), in Firefox and WebKit too."""

    def mark(function):
        function.timeout = timeout
        implementations = ("classic", "compat") if linux_only else IMPLEMENTATIONS
        engines = WEB_ENGINES if every_engine else WEB_ENGINES[:1]
        function.implementations = tuple(
            name for name in implementations
            if name not in WEB_ENGINES or (in_browser and name in engines))
        return function

    return mark


def web_scenario(timeout=60, every_engine=False):
    """Marks a scenario about the page itself, run in the browser only."""

    def mark(function):
        scenario(timeout, every_engine=every_engine)(function)
        function.implementations = tuple(name for name in function.implementations
                                         if name in WEB_ENGINES)
        return function

    return mark


WEB_ENGINES = ("chromium", "firefox", "webkit")
IMPLEMENTATIONS = ("classic", "compat", "windows") + WEB_ENGINES


def _needed_tools(implementation, emulator):
    if implementation in WEB_ENGINES:
        import browser

        browser.check_tools(implementation)
        return
    tools = ["Xvfb", "xdotool"] + (["wine", "wineserver"] if implementation == "windows"
                                          else emulator.split()[:1] or ["ldd"])
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if missing:
        raise Skip(f"missing {', '.join(missing)} (scripts/test installs them)")


def main(scenarios):
    """Command line of a scenario file: --list, or run one scenario by name."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true",
                        help="print 'name timeout implementation,...' lines")
    parser.add_argument("--program")
    parser.add_argument("--implementation", choices=IMPLEMENTATIONS, default="classic")
    parser.add_argument("--configuration",
                        help="the name of the tests' configuration (default: the implementation)")
    parser.add_argument("--compat-root", default="")
    parser.add_argument("--artifacts", default=".")
    parser.add_argument("--emulator", default="",
                        help="runs the program as EMULATOR -L SYSROOT program (qemu-user)")
    parser.add_argument("--sysroot", default="")
    parser.add_argument("scenario", nargs="?")
    args = parser.parse_args()
    by_name = {function.__name__: function for function in scenarios}
    if args.list:
        for function in scenarios:
            print(function.__name__, function.timeout, ",".join(function.implementations))
        return 0
    if args.scenario not in by_name or not args.program:
        parser.error(f"give --program and one of: {', '.join(by_name)}")

    # CTest ends a test that runs too long; let the cleanup run then too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    name = f"e2e.{args.configuration or args.implementation}.{args.scenario}"
    started = time.monotonic()
    try:
        _needed_tools(args.implementation, args.emulator)
        config = Config(name, args.program, args.implementation, args.compat_root,
                        args.artifacts, args.emulator, args.sysroot)
        by_name[args.scenario](config)
    except Skip as skip:
        print(f"{name}: skipped: {skip}")
        return SKIPPED
    except Failure as failure:
        print(f"{name}: FAILED: {failure}")
        _save_images(args.artifacts, name, failure.images)
        return 1
    print(f"{name}: passed in {time.monotonic() - started:.1f} s")
    return 0


def main_with_options(options, make_scenarios):
    """main() for scenarios that need values of their own: each of options is taken off the
    command line as --option VALUE and handed to make_scenarios by name."""
    parser = argparse.ArgumentParser(add_help=False)
    for option in options:
        parser.add_argument(f"--{option}", default="")
    ours, rest = parser.parse_known_args()
    sys.argv[1:] = rest
    return main(make_scenarios(**vars(ours)))


def _save_images(folder, name, to_save):
    if not to_save:
        return
    os.makedirs(folder, exist_ok=True)
    for label, image in to_save.items():
        path = os.path.join(folder, f"{name}.{label}.png")
        with open(path, "wb") as file:
            file.write(images.png_bytes(image))
        print(f"  saved {path}")
