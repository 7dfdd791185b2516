"""Hostile picture files, a FIFO under a picture's name, SIGTERM, and no display at all (the
last two only on Linux: Windows has no SIGTERM, and no display check of the program's own)."""

import os
import shutil
import signal
import struct
import sys
import tempfile

import harness
import images
from board_model import (BACKGROUND, BOARD, DRAWING_BANNER, HEADER, START, WAITING_BANNER,
                         drawing_screen, shows_arm_at, test_pictures, title_screen)
from harness import Failure, Sketchboard, scenario

# Far below what the refused files would take if read (the run-length one alone decodes to
# 1.8 GB), and above what the program takes on any SDL 1.2 with the sanitizers' own memory
# (272 MB seen: sdl12-compat over SDL2, which loads Mesa, under AddressSanitizer).
MEMORY_LIMIT_KB = 512 * 1024
TERMINATED = 128 + signal.SIGTERM


def bmp(width, height, bits, compression=0, header_size=40, colours=0, palette=b"",
        pixels=b"", offset=None):
    """A BMP file with the header fields given and exactly the palette and pixels given."""
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                       len(pixels), 2835, 2835, colours, 0)
    info = info[:header_size].ljust(header_size, b"\0")
    if offset is None:
        offset = 14 + len(info) + len(palette)
    return (b"BM" + struct.pack("<IHHI", 14 + len(info) + len(palette) + len(pixels), 0, 0,
                                offset) + info + palette + pixels)


# Each of these crashed, hung or ballooned an SDL 1.2 implementation when SDL read it
# unchecked: a 288-bit or 257-bit count and the most negative height crash classic's blit; a
# header cut short makes classic read uninitialised memory; the 5 KB file makes compat
# allocate and clear 4 GB, and the 1.5 KB run-length file decodes to 37 x 50,397,207 pixels.
# The rest break the rules that keep SDL's palette and row arithmetic safe.
HOSTILE = {
    "288 bits a pixel": bmp(64, 64, 288, pixels=bytes(4096)),
    "257 bits a pixel": bmp(64, 64, 257, pixels=bytes(4096)),
    "most negative height": bmp(16, -2**31, 24, pixels=bytes(4096)),
    "cut inside the header": bmp(954, 610, 24)[:40],
    "5 KB promising 4 GB": bmp(32768, 32768, 32, pixels=bytes(5000)),
    "run lengths, 1.5 KB for 37 x 50,397,207": bmp(
        37, 50397207, 8, compression=1, palette=bytes(1024),
        pixels=bytes([0, 0] * 200 + [0, 1])),
    "257 colours at 8 bits": bmp(8, 8, 8, colours=257, palette=bytes(257 * 4),
                                 pixels=bytes(64)),
    "a pixel off a 2-colour palette": bmp(8, 8, 8, colours=2, palette=bytes(8),
                                          pixels=bytes([200] * 64)),
    "rows of 16384 pixels": bmp(16384, 1, 32, pixels=bytes(16384 * 4)),
    "pixels past the end": bmp(8, 8, 24, pixels=bytes(192), offset=0xFFFFFF00),
}


def check_hostile(config, chosen, valid):
    """chosen hostile files under the names they are given, valid test pictures under the
    others: the refused ones are simply missing, and the program stays small."""
    pictures = test_pictures()
    files = {name: pictures[name] for name in valid}
    files.update({name: HOSTILE[kind] for name, kind in chosen.items()})
    shown = {name: pictures[name] for name in valid}
    with Sketchboard(config, files=files) as board:
        board.wait_for_screen(title_screen(shown), "the title screen, refused files missing")
        board.key_press("x")
        board.wait_for_screen(drawing_screen(shown), "the drawing banner, or its absence")
        peak = board.peak_memory_kb()
        if peak >= MEMORY_LIMIT_KB:
            raise Failure(f"peak memory {peak} KB, at or above {MEMORY_LIMIT_KB} KB")
        board.quit()


@scenario(timeout=60)
def hostile_pictures_under_all_names(config):
    """Five hostile files, one under each name: a white title screen and a working program."""
    check_hostile(config, {
        BOARD: "288 bits a pixel",
        HEADER: "most negative height",
        DRAWING_BANNER: "cut inside the header",
        BACKGROUND: "5 KB promising 4 GB",
        WAITING_BANNER: "run lengths, 1.5 KB for 37 x 50,397,207",
    }, valid=())


@scenario(timeout=60)
def hostile_pictures_beside_valid_ones(config):
    """The other hostile kinds, with valid board and banners: those are drawn as usual."""
    check_hostile(config, {
        BACKGROUND: "257 colours at 8 bits",
        HEADER: "a pixel off a 2-colour palette",
    }, valid=(BOARD, WAITING_BANNER, DRAWING_BANNER))
    check_hostile(config, {
        BOARD: "rows of 16384 pixels",
        HEADER: "257 bits a pixel",
        BACKGROUND: "pixels past the end",
    }, valid=(WAITING_BANNER, DRAWING_BANNER))


@scenario(timeout=60, in_browser=False)
def fifo_under_a_picture_name(config):
    """A FIFO nobody writes to, as the header: the program does not wait on it."""
    pictures = test_pictures()
    folder = tempfile.mkdtemp(prefix="sketchboard-fifo-")
    try:
        for name, picture in pictures.items():
            if name != HEADER:
                with open(os.path.join(folder, name), "wb") as file:
                    file.write(images.bmp_bytes(picture))
        os.mkfifo(os.path.join(folder, HEADER))
        shown = dict(pictures)
        shown[HEADER] = None
        with Sketchboard(config, workdir=folder) as board:
            board.wait_for_screen(title_screen(shown), "the title screen without the header")
            board.quit()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def expect_terminated(board):
    # The signal is noticed within one pass; the time allowed is for SDL_Quit on the way out.
    status = board.wait_exit(harness.EXIT_TIMEOUT)
    if status is None:
        raise Failure(f"still running {harness.EXIT_TIMEOUT:g} s after SIGTERM")
    board.expect_exit(TERMINATED)


@scenario(timeout=60, linux_only=True)
def sigterm_during_title_wait(config):
    """SIGTERM on the title screen ends the program at once, with 143 and no output."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.send_signal(signal.SIGTERM)
        expect_terminated(board)


@scenario(timeout=60, linux_only=True)
def sigterm_while_drawing(config):
    """SIGTERM while an arrow key is held and the pen moves: the drawing loop ends too."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.key_press("x")
        board.wait_for_screen(drawing_screen(pictures), "the drawing banner")
        board.key_down("Right")
        board.wait_for(shows_arm_at(START[0] + 10, START[1]), "the pen moving right")
        board.send_signal(signal.SIGTERM)
        try:
            expect_terminated(board)
        finally:
            board.key_up("Right")


@scenario(timeout=30, linux_only=True)
def no_display_exits_1(config):
    """No X server, no Wayland, no driver named: status 1 at once, nothing printed (instead of
    running invisibly, or writing a text-mode picture to the terminal)."""
    with Sketchboard(config, files=test_pictures(), display=False,
                     extra_env={"SDL_VIDEODRIVER": None}) as board:
        if board.wait_exit(15) is None:
            raise Failure("still running 15 s after start without a display")
        board.expect_exit(1)


@scenario(timeout=30, linux_only=True)
def unreachable_display_exits_1(config):
    """DISPLAY names an X server that is not there: status 1 at once, nothing printed (SDL
    would otherwise fall back to a driver of its own choosing, which prints or hides)."""
    config.check_library(config.environment())
    with Sketchboard(config, files=test_pictures(), display=False,
                     extra_env={"SDL_VIDEODRIVER": None},
                     argv=["env", "DISPLAY=:65000", *config.command()]) as board:
        if board.wait_exit(15) is None:
            raise Failure("still running 15 s after start with an unreachable display")
        board.expect_exit(1)


SCENARIOS = [hostile_pictures_under_all_names, hostile_pictures_beside_valid_ones,
             fifo_under_a_picture_name, sigterm_during_title_wait, sigterm_while_drawing,
             no_display_exits_1, unreachable_display_exits_1]

if __name__ == "__main__":
    sys.exit(harness.main(SCENARIOS))
