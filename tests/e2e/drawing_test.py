"""Drawing: the union of crosses a held key leaves, the limits, the order of held keys."""

import sys
import time

import harness
from board_model import (BOTTOM_LIMIT, BOTTOM_LIMIT_BOTH_KEYS, LEFT_LIMIT, RIGHT_LIMIT, START,
                         TOP_LIMIT, drawing_screen, line, shows_arm_at, test_pictures,
                         title_screen, with_path)
from harness import Sketchboard, scenario

X0, Y0 = START


def start_drawing(board, pictures):
    """Waits for the title, presses a key that does not move the pen, and returns the screen
    with the drawing banner up."""
    board.wait_for_screen(title_screen(pictures), "the title screen")
    board.key_press("x")
    return board.wait_for_screen(drawing_screen(pictures), "the drawing banner")


def hold_until_stopped(board, keys, predicate, what, timeout=harness.DEFAULT_TIMEOUT):
    """Holds keys until the screen shows predicate and then stops changing; releases them in
    the order given."""
    board.key_down(*keys)
    board.wait_for(predicate, what, timeout)
    board.wait_until_still(timeout)
    board.key_up(*keys)


@scenario(timeout=90, every_engine=True)
def held_arrow_leaves_union_of_crosses(config):
    """Left held from the start: a band nine pixels tall from the first step to the left
    limit, one white centre where the pen stopped, nothing at the start point itself."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        drawing = start_drawing(board, pictures)
        hold_until_stopped(board, ["Left"], shows_arm_at(LEFT_LIMIT - 4, Y0),
                           "the pen at the left limit")
        board.expect_screen(with_path(drawing, line(START, (LEFT_LIMIT, Y0))))
        board.quit()


@scenario(timeout=90)
def vertical_step_comes_before_horizontal(config):
    """Up to the top limit, then Left as well: at the limit each pass steps up (back onto the
    top row) before it steps left, so every stamp of the way left lies on the top row."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        drawing = start_drawing(board, pictures)
        up = line(START, (X0, TOP_LIMIT))
        hold_until_stopped(board, ["Up"], shows_arm_at(X0, TOP_LIMIT - 4),
                           "the pen at the top limit")
        board.expect_screen(with_path(drawing, up))
        board.key_down("Up")
        hold_until_stopped(board, ["Left"], shows_arm_at(LEFT_LIMIT - 4, TOP_LIMIT),
                           "the pen in the top left corner")
        board.key_up("Up")
        left = line((X0, TOP_LIMIT), (LEFT_LIMIT, TOP_LIMIT))
        # Up may act alone for a pass between the two releases, stamping once more.
        board.expect_screen(with_path(drawing, up, left),
                            with_path(drawing, up, left, [(LEFT_LIMIT + 1, TOP_LIMIT)]))
        board.quit()


@scenario(timeout=180)
def pen_stops_at_right_and_bottom_limits(config):
    """Right to the right limit, then Space and Down together to the bottom: the pen stands
    at column 1130, then at rows 803 and 804, and every arm stays on the board."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        drawing = start_drawing(board, pictures)
        right = line(START, (RIGHT_LIMIT, Y0))
        hold_until_stopped(board, ["Right"], shows_arm_at(RIGHT_LIMIT + 4, Y0),
                           "the pen at the right limit", timeout=60)
        board.expect_screen(with_path(drawing, right))
        # The next pass brings the pen back to column 1129 before it steps down.
        down = line((RIGHT_LIMIT - 1, Y0), (RIGHT_LIMIT - 1, BOTTOM_LIMIT_BOTH_KEYS))
        hold_until_stopped(board, ["space", "Down"],
                           shows_arm_at(RIGHT_LIMIT - 1, BOTTOM_LIMIT_BOTH_KEYS + 4),
                           "the pen at the bottom limit", timeout=60)
        # One of the two keys may act alone for a pass between the two releases.
        board.expect_screen(with_path(drawing, right, down),
                            with_path(drawing, right, down, [(RIGHT_LIMIT - 1, BOTTOM_LIMIT)]))
        board.quit()


@scenario(timeout=60, in_browser=False)
def quit_request_while_drawing_is_ignored(config):
    """A quit request while drawing: the program keeps running and the pen keeps moving."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        drawing = start_drawing(board, pictures)
        board.request_quit()
        time.sleep(0.5)
        board.expect_screen(drawing)
        board.key_down("Left")
        board.wait_for(shows_arm_at(X0 - 5, Y0), "the pen moving left")
        board.key_up("Left")
        board.quit()


SCENARIOS = [held_arrow_leaves_union_of_crosses, vertical_step_comes_before_horizontal,
             pen_stops_at_right_and_bottom_limits, quit_request_while_drawing_is_ignored]

if __name__ == "__main__":
    sys.exit(harness.main(SCENARIOS))
