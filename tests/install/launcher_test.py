"""The installed launcher, started from an unrelated empty folder: it must enter the installed
pictures' folder and start the installed program, which then shows its title and quits on q.

Runs through the end-to-end harness (tests/e2e), so once on each SDL implementation. Beside the
harness's own options it takes --launcher and --pictures (the installed data folder).
"""

import os
import struct
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import harness  # noqa: E402
from board_model import PLACES, title_screen  # noqa: E402
from harness import Failure, Sketchboard, scenario  # noqa: E402
from images import Image  # noqa: E402


def image_from_bmp(data):
    """Reads an uncompressed 24-bit Windows BMP (BITMAPINFOHEADER or later), as make-pictures
    writes them: rows bottom-up unless the height is negative, each padded to 4 bytes."""
    magic, _size, _r1, _r2, offset = struct.unpack_from("<2sIHHI", data, 0)
    _header, width, height, _planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if magic != b"BM" or bits != 24 or compression != 0:
        raise Failure(f"not an uncompressed 24-bit BMP: {magic!r}, {bits} bits, "
                      f"compression {compression}")
    bottom_up = height > 0
    height = abs(height)
    row_size = (width * 3 + 3) & ~3
    image = Image(width, height)
    for row in range(height):
        y = height - 1 - row if bottom_up else row
        bgr = data[offset + row * row_size : offset + row * row_size + width * 3]
        line = bytearray(width * 3)
        line[0::3], line[1::3], line[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        image.rgb[y * width * 3 : (y + 1) * width * 3] = line
    return image


def installed_pictures(folder):
    pictures = {}
    for name in PLACES:
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            raise Failure(f"{path} is not installed")
        with open(path, "rb") as file:
            pictures[name] = image_from_bmp(file.read())
    return pictures


def make_scenarios(launcher, pictures):
    @scenario(timeout=60)
    def installed_launcher_from_elsewhere(config):
        """From an empty folder, the launcher shows the title made of the installed pictures;
        q ends it with status 0 and nothing printed."""
        title = title_screen(installed_pictures(pictures))
        # The harness checks which libSDL the program loads only when it starts the program
        # itself; here the launcher starts it, with the same environment.
        config.check_library(config.environment())
        with tempfile.TemporaryDirectory(prefix="sketchboard-elsewhere-") as elsewhere:
            with Sketchboard(config, workdir=elsewhere, argv=[launcher]) as board:
                board.wait_for_screen(title, "the title from the installed pictures")
                board.quit()

    return [installed_launcher_from_elsewhere]


if __name__ == "__main__":
    sys.exit(harness.main_with_options(["launcher", "pictures"], make_scenarios))
