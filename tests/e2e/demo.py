"""Draws a short sketch with the real pictures under Xvfb and saves the screen as a PNG; or,
with --tablet, draws it with fingers on the browser build's touch controls in Chromium standing
in for a tablet on its side, and saves the whole page as the tablet shows it.

Every stroke runs from corner to corner of the pen's range, so that the picture is the same
however fast the pen moves: a frame around the board with a cross through it.
"""

import argparse
import base64
import os
import sys

import harness
from board_model import BOTTOM_LIMIT, LEFT_LIMIT, RIGHT_LIMIT, TOP_LIMIT, shows_arm_at
from images import png_bytes

# (keys held together, a pixel that only the stroke's last stamp colours)
STROKES = [
    (["Up", "Left"], (LEFT_LIMIT - 4, TOP_LIMIT)),
    (["Down", "Right"], (RIGHT_LIMIT + 4, BOTTOM_LIMIT)),
    (["Up"], (RIGHT_LIMIT - 1, TOP_LIMIT - 4)),
    (["Down", "Left"], (LEFT_LIMIT - 4, BOTTOM_LIMIT)),
    (["Up"], (LEFT_LIMIT + 1, TOP_LIMIT - 4)),
    (["Right"], (RIGHT_LIMIT + 4, TOP_LIMIT + 1)),
]


TABLET = (1180, 820)  # CSS pixels, two device pixels to each


def draw_on_a_tablet(site):
    """The strokes with fingers on the page's controls; the page as a PNG."""
    from browser import WebSketchboard

    config = harness.Config("demo", site, "chromium", "", ".")
    pictures = {name: open(os.path.join(site, name), "rb").read()
                for name in os.listdir(site) if name.endswith(".skt")}
    with WebSketchboard(config, files=pictures) as board:
        board.emulate_touch_screen(*TABLET)
        board.open_page()
        board.wait_for_page("document.body.dataset.state === 'running'", "the title screen")
        board.tap(*board.centre("canvas"))
        board.wait_until_still()
        for keys, (x, y) in STROKES:
            board.touch(*(board.centre(f'[data-key="Arrow{key}"]') for key in keys))
            board.wait_for(shows_arm_at(x, y), f"the stroke {'+'.join(keys)}")
            board.wait_until_still()
            board.lift_fingers()
        board.wait_until_still()
        shot = board.browser.cdp("Page.captureScreenshot", {"format": "png"})["data"]
        board.quit()
    return base64.b64decode(shot)


def draw_on_the_desktop(program, pictures):
    """The strokes with the keys on the program under Xvfb; the screen as a PNG."""
    config = harness.Config("demo", program, "classic", "", ".")
    with harness.Sketchboard(config, workdir=os.path.abspath(pictures)) as board:
        board.wait_for(lambda screen: screen.pixel(0, 0) != (0, 0, 0), "the title screen")
        board.wait_until_still()
        for keys, (x, y) in STROKES:
            board.key_down(*keys)
            board.wait_for(shows_arm_at(x, y), f"the stroke {'+'.join(keys)}")
            board.wait_until_still()
            # The horizontal key first: alone, the vertical one only stamps in its corner.
            board.key_up(*reversed(keys))
        screen = board.wait_until_still()
        board.quit()
    return png_bytes(screen)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the program, or with --tablet the site")
    parser.add_argument("--pictures", help="folder holding Data1.skt ...")
    parser.add_argument("--tablet", action="store_true")
    parser.add_argument("--output", required=True, help="the PNG to write")
    args = parser.parse_args()
    try:
        picture = (draw_on_a_tablet(args.program) if args.tablet
                   else draw_on_the_desktop(args.program, args.pictures))
    except harness.Failure as failure:
        print(f"demo: {failure}", file=sys.stderr)
        return 1
    with open(args.output, "wb") as file:
        file.write(picture)
    print(f"demo: wrote {args.output}")
    return 0

if __name__ == "__main__":
    sys.exit(main())
