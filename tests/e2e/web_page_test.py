"""The page around the program: what it says while loading and after the end, the keyboard it
gives back, and the service worker that opens the board again with no network."""

import sys

import harness
import images
from board_model import (HEADER, START, drawing_screen, line, marked_picture, shows_arm_at,
                         test_pictures, title_screen, with_path)
from browser import WebSketchboard
from harness import Failure, web_scenario
from images import WHITE

# Notes each full screen the browser refuses.
WATCH_FULL_SCREEN = """window.fullScreenRefusals = 0;
document.addEventListener('fullscreenerror', () => fullScreenRefusals++);"""

# Notes whether the page's default action for each key was cancelled, after SDL's listeners
# (which, added earlier to the same document, run first) had their turn.
WATCH_KEYS = """window.cancelledKeys = [];
document.addEventListener('keydown', (event) => cancelledKeys.push(event.defaultPrevented));"""


# Reads the canvas's corners in the moment data-state becomes "running", before the program
# next lets the browser run.
CORNERS_AT_RUNNING = """new MutationObserver((changes, observer) => {
  if (document.body.dataset.state !== 'running') return;
  observer.disconnect();
  const canvas = document.querySelector('canvas');
  const context = canvas.getContext('2d');
  window.cornersAtRunning = [[0, 0], [1279, 0], [0, 1023], [1279, 1023]].map(
      ([x, y]) => Array.from(context.getImageData(x, y, 1, 1).data));
}).observe(document, {attributes: true, subtree: true, attributeFilter: ['data-state']});"""


def expect(value, wanted, what):
    if value != wanted:
        raise Failure(f"{what}: {value!r}, expected {wanted!r}")


def pen_stopped(board, before):
    """Waits for the screen to stand still; returns it and where the pen stopped: the one white
    pixel new beside before (the last cross's centre: each earlier one lies under a later
    cross's arm)."""
    screen = board.wait_until_still()
    centres = [(x, y) for x, y in screen.differing_pixels(before) if screen.pixel(x, y) == WHITE]
    if len(centres) != 1:
        raise Failure(f"not one new cross centre but {centres[:5]}", board._screens(before))
    return screen, centres[0]


@web_scenario(timeout=120, every_engine=True)
def states_from_loading_to_the_end(config):
    """Loading while the pictures are on their way (the page counts them), running once the
    title is up, ended with status 0 after q; and without WebAssembly, failed, saying why."""
    pictures = test_pictures()
    with WebSketchboard(config, files=pictures, hold_pictures=True) as board:
        board.wait_for_page("document.readyState === 'complete'", "the page")
        expect(board.state(), "loading", "data-state while the pictures are held back")
        text = board.script("return document.getElementById('message').innerText")
        if "0 of 5" not in text:
            raise Failure(f"the page does not count the pictures while loading: {text!r}")
        expect(board.script("return 'exitStatus' in document.body.dataset"), False,
               "data-exit-status before the end")
        board.server.release()
        board.wait_for_screen(title_screen(pictures), "the title screen")
        expect(board.state(), "running", "data-state on the title screen")
        board.quit()
        expect(board.script("return document.body.dataset.exitStatus"), "0", "data-exit-status")

        board.run_before_page_scripts("delete window.WebAssembly;")
        board.open_page()
        board.wait_for_page("document.body.dataset.state === 'failed'", "data-state failed")
        text = board.script("return document.getElementById('message').innerText")
        if "WebAssembly" not in text:
            raise Failure(f"the page does not say that WebAssembly is missing: {text!r}")


@web_scenario(timeout=60, every_engine=True)
def screen_is_up_when_running(config):
    """With no pictures at all, the white title is on the canvas, opaque, as soon as data-state
    says "running" (SDL draws that fill in memory, not on the canvas)."""
    with WebSketchboard(config, files={}, init_script=CORNERS_AT_RUNNING) as board:
        board.wait_for_page("window.cornersAtRunning", "data-state running")
        expect(board.script("return cornersAtRunning"), [[255, 255, 255, 255]] * 4,
               "the canvas's corners when data-state became running")
        board.quit()


@web_scenario(timeout=90, every_engine=True)
def keyboard_is_the_browsers_after_the_end(config):
    """While the program runs, SDL takes every key from the page; once it ended the page has
    its keys again (F5, Tab, arrows), and the canvas keeps the last drawing."""
    pictures = test_pictures()
    with WebSketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.script(WATCH_KEYS)
        board.key_press("x")
        board.wait_for_screen(drawing_screen(pictures), "the drawing banner")
        board.key_down("Right")
        board.wait_for(shows_arm_at(START[0] + 20, START[1]), "the pen moving right")
        board.key_up("Right")
        drawn = board.wait_until_still()
        board.quit()
        while_running = board.script("const keys = cancelledKeys; cancelledKeys = []; return keys")
        board.key_press("Down")
        if not while_running or not all(while_running):
            raise Failure(f"keys not all cancelled while the program ran: {while_running}")
        expect(board.script("return cancelledKeys"), [False], "Down cancelled after the end")
        if board.screen().rgb != drawn.rgb:
            raise Failure("the canvas changed after the end", {"screen": board.last_screen,
                                                               "expected": drawn})


@web_scenario(timeout=90, every_engine=True)
def refused_full_screen_leaves_the_board_running(config):
    """A full screen the browser refuses (here: a click with no action of the person's behind
    it, before any key) leaves the board drawing, the page's state as it was and the console
    quiet; where the browser has no full screen for the page, the button is not shown."""
    pictures = test_pictures()
    with WebSketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.script(WATCH_FULL_SCREEN)
        board.script("document.getElementById('fullscreen').click()")
        board.wait_for_page("fullScreenRefusals === 1", "the browser to refuse the full screen")
        # The refusal's promise has been settled by now; the board draws on.
        board.key_press("x")
        drawing = board.wait_for_screen(drawing_screen(pictures), "the drawing banner")
        board.key_down("Down")
        board.wait_for(shows_arm_at(START[0], START[1] + 20), "the pen moving down")
        board.key_up("Down")
        screen, end = pen_stopped(board, drawing)
        board.expect_screen(with_path(drawing, line(START, end)))
        expect(board.state(), "running", "data-state after the refusal")
        expect(board.console_messages(), [], "the console after the refusal")
        board.quit()

        board.run_before_page_scripts("delete Element.prototype.requestFullscreen;")
        board.open_page()
        board.wait_for_screen(title_screen(pictures), "the title screen")
        expect(board.element_box("#fullscreen")[4], False,
               "the Full screen button shown with no full screen to ask for")
        board.quit()


@web_scenario(timeout=120, every_engine=True)
def opens_with_no_network_after_a_visit(config):
    """After one visit the service worker keeps the site: a picture replaced on the server
    shows at the next visit, and with the server gone the board still opens, with the pictures
    of the last visit."""
    pictures = test_pictures()
    with WebSketchboard(config, files=pictures) as board:
        board.wait_for_screen(title_screen(pictures), "the title screen")
        board.wait_for_page("navigator.serviceWorker.controller", "a service worker")
        board.quit()

        pictures[HEADER] = marked_picture(200, 100, (40, 160, 160))
        board.replace_file(HEADER, pictures[HEADER])
        board.open_page()
        board.wait_for_screen(title_screen(pictures), "the title screen with the new header")
        board.quit()

        board.server.stop()
        board.open_page()
        board.wait_for_screen(title_screen(pictures), "the title screen with no network")
        board.quit()


@web_scenario(timeout=60)
def pictures_the_browser_would_show_otherwise_are_missing(config):
    """A header that SDL shows opaque but the browser's reader would see through counts as
    missing in the page, as a refused picture does."""
    pictures = test_pictures()
    # stb_image would take the fourth byte, 0x80, as opacity and let the background through.
    files = dict(pictures, **{HEADER: images.bmp_bytes(pictures[HEADER], fourth_byte=0x80)})
    with WebSketchboard(config, files=files) as board:
        board.wait_for_screen(title_screen(dict(pictures, **{HEADER: None})),
                              "the title screen without the header")
        board.quit()


SCENARIOS = [states_from_loading_to_the_end, screen_is_up_when_running,
             pictures_the_browser_would_show_otherwise_are_missing,
             keyboard_is_the_browsers_after_the_end, refused_full_screen_leaves_the_board_running,
             opens_with_no_network_after_a_visit]

if __name__ == "__main__":
    sys.exit(harness.main(SCENARIOS))
