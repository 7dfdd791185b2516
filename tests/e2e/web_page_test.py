"""The page around the program: what it says while loading and after the end, the keyboard it
gives back, and the service worker that opens the board again with no network."""

import sys

import harness
import images
from board_model import (HEADER, START, drawing_screen, marked_picture, shows_arm_at,
                         test_pictures, title_screen)
from browser import WebSketchboard
from harness import Failure, web_scenario

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
             keyboard_is_the_browsers_after_the_end, opens_with_no_network_after_a_visit]

if __name__ == "__main__":
    sys.exit(harness.main(SCENARIOS))
