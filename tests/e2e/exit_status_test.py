"""How the program ends: q with status 0 and no output, status 1 without a usable display."""

import sys

import harness
from board_model import test_pictures, title_screen
from harness import Failure, Sketchboard, scenario


@scenario(timeout=60)
def q_exits_0_and_prints_nothing(config):
    """q held on the title screen ends the wait and then the program, silently, with 0."""
    pictures = test_pictures()
    with Sketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.quit()


@scenario(timeout=60, in_browser=False)
def no_video_driver_exits_1(config):
    """A video driver that does not exist, though a display is there: SDL's video cannot
    start, so status 1, silently."""
    with Sketchboard(config, files=test_pictures(),
                     extra_env={"SDL_VIDEODRIVER": "no-such-driver"}) as board:
        # Wine alone may take several seconds to give up and end.
        if board.wait_exit(40) is None:
            raise Failure("still running 40 s after start without a video driver")
        board.expect_exit(1)


SCENARIOS = [q_exits_0_and_prints_nothing, no_video_driver_exits_1]

if __name__ == "__main__":
    sys.exit(harness.main(SCENARIOS))
