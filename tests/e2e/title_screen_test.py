"""The title screen: its composition, missing pictures, and what ends the wait for a key."""

import sys
import time

import harness
from board_model import (BACKGROUND, BOARD, DRAWING_BANNER, HEADER, LEFT_LIMIT, START, TOP_LIMIT,
                         drawing_screen, line, shows_arm_at, test_pictures, title_screen,
                         with_path)
from harness import Sketchboard, scenario
from images import WHITE, Image, bmp_bytes


@scenario(timeout=60, every_engine=True)
def title_composition(config):
    """Each picture at its exact rectangle, the right way up: the board cut to its rectangle,
    the smaller header drawn at its own size; then a key swaps in the drawing banner, which
    covers the waiting banner wholly."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.key_press("x")
        board.wait_for_screen(drawing_screen(pictures), "the drawing banner")
        board.quit()


@scenario(timeout=60)
def pictures_of_32_bits_are_opaque(config):
    """32-bit pictures are drawn opaque whatever their fourth bytes hold: under the longer
    headers, which have room for an opacity mask but name none, the fourth bytes vary (some
    tools leave them so); under the common header they are all 0."""
    pictures = test_pictures()
    files = dict(pictures)
    files[BACKGROUND] = bmp_bytes(pictures[BACKGROUND], lambda i: i * 7 % 256, header_size=124)
    files[HEADER] = bmp_bytes(pictures[HEADER], lambda i: i % 251, header_size=108)
    files[BOARD] = bmp_bytes(pictures[BOARD], fourth_byte=0)
    with Sketchboard(config, files=files) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen, every picture opaque")
        board.quit()


@scenario(timeout=60)
def only_a_key_ends_title_wait(config):
    """Mouse motion and a key release leave the title screen as it is; a key press ends it."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        title = title_screen(pictures)
        board.wait_for_screen(title, "the title screen")
        for x, y in ((10, 10), (640, 512), (1270, 1010), (300, 300)):
            board.mouse_move(x, y)
        board.key_up("x")
        # Nothing may happen, so there is nothing to wait for: give the program a moment.
        time.sleep(0.5)
        board.expect_screen(title)
        board.key_press("x")
        board.wait_for_screen(drawing_screen(pictures), "the drawing banner")
        board.quit()


@scenario(timeout=60, in_browser=False)
def quit_request_ends_title_wait(config):
    """A quit request (SIGINT, or on Windows what the window's close button sends) ends the
    title wait like a key press, and the program goes on to drawing instead of ending."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.request_quit()
        drawing = board.wait_for_screen(drawing_screen(pictures), "the drawing banner")
        time.sleep(0.3)
        board.expect_screen(drawing)
        board.quit()


@scenario(timeout=90)
def all_pictures_missing(config):
    """No pictures at all: a white screen that waits for a key; an arrow key held through the
    end of the wait moves the pen at once, drawing on white up to the left limit."""
    with Sketchboard(config, files={}) as board:
        white = Image(1280, 1024, WHITE)
        board.wait_for_screen(white, "a white screen")
        board.key_down("Left")
        board.wait_for(shows_arm_at(LEFT_LIMIT - 4, START[1]), "the pen at the left limit")
        board.wait_until_still()
        board.key_up("Left")
        board.expect_screen(with_path(white, line(START, (LEFT_LIMIT, START[1]))))
        board.quit()


@scenario(timeout=90)
def board_and_drawing_banner_missing(config):
    """Without the board the pen draws on the background, held to the same limits; without
    the drawing banner the waiting banner stays."""
    pictures = test_pictures()
    pictures[BOARD] = None
    pictures[DRAWING_BANNER] = None
    with Sketchboard(config, files=pictures) as board:
        title = board.wait_for_screen(title_screen(pictures), "the title screen")
        board.key_down("Up")
        board.wait_for(shows_arm_at(START[0], TOP_LIMIT - 4), "the pen at the top limit")
        board.wait_until_still()
        board.key_up("Up")
        board.expect_screen(with_path(title, line(START, (START[0], TOP_LIMIT))))
        board.quit()


SCENARIOS = [title_composition, pictures_of_32_bits_are_opaque, only_a_key_ends_title_wait,
             quit_request_ends_title_wait, all_pictures_missing, board_and_drawing_banner_missing]

if __name__ == "__main__":
    sys.exit(harness.main(SCENARIOS))
