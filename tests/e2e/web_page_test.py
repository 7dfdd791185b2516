"""The page around the program: what it says while loading and after the end, the keyboard it
gives back, and the service worker that opens the board again with no network."""

import re
import sys

import harness
import images
from board_model import (HEADER, LEFT_LIMIT, RIGHT_LIMIT, START, TOP_LIMIT, diagonal,
                         drawing_screen, line, marked_picture, shows_arm_at, test_pictures,
                         title_screen, with_path)
from browser import WebSketchboard
from harness import EXIT_TIMEOUT, SCREEN_WIDTH, Failure, web_scenario
from images import WHITE

CONTROLS = {key: f'[data-key="{key}"]' for key in ("ArrowLeft", "ArrowRight", "ArrowUp",
                                                    "ArrowDown", "q")}
SAVE = '[data-action="save"]'
SAVED_NAME = re.compile(r"sketchboard-\d{4}-\d\d-\d\d-\d{4}\.png")
# Touch screens (CSS pixels, device pixels to the CSS pixel), the last one as the board starts.
TOUCH_SCREENS = {"a phone, turned": (844, 390, 3), "a tablet, turned": (1180, 820, 2),
                 "a tablet": (820, 1180, 2)}
BOARD_AREA = (183, 200, 1137, 810)  # the board's part of the screen, columns and rows

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


def shown_controls(board):
    return [key for key, selector in CONTROLS.items() if (board.element_box(selector) or
                                                           [0] * 5)[4]]


def check_touch_layout(board, screen_name):
    """Every control shown, at least 44 x 44 CSS pixels, inside the window and off the board's
    part of the screen, wherever the page shows it."""
    left, top, width, _, _ = board.element_box("canvas")
    scale = width / SCREEN_WIDTH
    area = [left + BOARD_AREA[0] * scale, top + BOARD_AREA[1] * scale,
            left + BOARD_AREA[2] * scale, top + BOARD_AREA[3] * scale]
    window = board.script("return [innerWidth, innerHeight]")
    for key, selector in CONTROLS.items():
        x, y, w, h, shown = board.element_box(selector)
        where = f"on {screen_name}, the {key} control at {x:.0f}, {y:.0f}, {w:.0f} x {h:.0f}"
        if not shown or w < 44 or h < 44:
            raise Failure(f"{where}: not shown, or smaller than 44 x 44")
        if x < 0 or y < 0 or x + w > window[0] or y + h > window[1]:
            raise Failure(f"{where}: beyond the window, {window[0]} x {window[1]}")
        if x < area[2] and area[0] < x + w and y < area[3] and area[1] < y + h:
            raise Failure(f"{where}: over the board, "
                          f"{area[0]:.0f}..{area[2]:.0f} x {area[1]:.0f}..{area[3]:.0f}")


def pen_stopped(board, before):
    """Waits for the screen to stand still; returns it and where the pen stopped: the one white
    pixel new beside before (the last cross's centre: each earlier one lies under a later
    cross's arm)."""
    screen = board.wait_until_still()
    centres = [(x, y) for x, y in screen.differing_pixels(before) if screen.pixel(x, y) == WHITE]
    if len(centres) != 1:
        raise Failure(f"not one new cross centre but {centres[:5]}", board._screens(before))
    return screen, centres[0]


def check_saved(board, press, expected):
    """press() saves the drawing: a PNG named after the date and time, the screen exactly."""
    name, saved = board.saved_drawing(press)
    if not SAVED_NAME.fullmatch(name):
        raise Failure(f"the drawing is saved as {name!r}")
    if saved.rgb != expected.rgb:
        raise Failure("the saved drawing is not the screen at the end"
                      + harness.describe_difference(saved, expected),
                      {"screen": saved, "expected": expected})


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
    """While the program runs, SDL takes every key from the page, and with a keyboard and a
    mouse no touch control shows; once it ended the page has its keys again (F5, Tab, arrows),
    the canvas keeps the last drawing, and a click saves it."""
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
        board.mouse_move(640, 512)
        expect(shown_controls(board), [], "touch controls shown with a keyboard and a mouse")
        board.quit()
        while_running = board.script("const keys = cancelledKeys; cancelledKeys = []; return keys")
        board.key_press("Down")
        if not while_running or not all(while_running):
            raise Failure(f"keys not all cancelled while the program ran: {while_running}")
        expect(board.script("return cancelledKeys"), [False], "Down cancelled after the end")
        if board.screen().rgb != drawn.rgb:
            raise Failure("the canvas changed after the end", {"screen": board.last_screen,
                                                               "expected": drawn})
        check_saved(board, lambda: board.click(SAVE), drawn)


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


@web_scenario(timeout=120)
def touch_controls_draw_as_keys_do(config):
    """On a tablet, fingers only: a tap on the screen ends the title wait; two fingers on Up and
    Left draw the diagonal to the corner as the two keys do; turned, one finger draws down, one
    that slides off Right stops the pen there, and two on Down and Right draw the diagonal
    again; a half-second hold on the end ends the board with 0, and a tap saves the drawing.
    Held or slid off, each control leaves exactly its key's trail; on a phone and a tablet,
    either way up, the controls stay off the board."""
    pictures = test_pictures()
    with WebSketchboard(config, files=pictures) as board:
        for name, (width, height, scale) in TOUCH_SCREENS.items():
            board.emulate_touch_screen(width, height, scale)
            board.open_page()
            board.wait_for_screen(title_screen(pictures), f"the title screen on {name}")
            check_touch_layout(board, name)
        centre = board.centre("canvas")
        board.tap(*centre)
        drawing = board.wait_for_screen(drawing_screen(pictures), "the drawing banner")

        corner = (START[0] - (START[1] - TOP_LIMIT), TOP_LIMIT)
        board.touch(board.centre(CONTROLS["ArrowUp"]), board.centre(CONTROLS["ArrowLeft"]))
        board.wait_for(shows_arm_at(LEFT_LIMIT - 4, TOP_LIMIT), "the pen in the top left corner")
        board.wait_until_still()
        board.lift_fingers()
        drawn = board.expect_screen(with_path(drawing, diagonal(START, corner),
                                              line(corner, (LEFT_LIMIT, TOP_LIMIT))))

        board.emulate_touch_screen(*TOUCH_SCREENS["a tablet, turned"])
        position = (LEFT_LIMIT + 1, TOP_LIMIT + 1)  # where the next pass's clamp puts it
        for keys, reached, path in (
                (["ArrowDown"], lambda x, y: (x, y + 24), line),
                (["ArrowRight"], lambda x, y: (x + 24, y), line),
                (["ArrowDown", "ArrowRight"], lambda x, y: (x + 24, y + 24), diagonal)):
            board.touch(*(board.centre(CONTROLS[key]) for key in keys))
            board.wait_for(shows_arm_at(*reached(*position)), f"the pen moving, {keys} held")
            if keys == ["ArrowRight"]:
                board.move_fingers(centre)
                screen, end = pen_stopped(board, drawn)
                if end[0] >= RIGHT_LIMIT:
                    raise Failure(f"the pen went on to {end} after the finger left Right")
                board.lift_fingers()
            else:
                board.lift_fingers()
                screen, end = pen_stopped(board, drawn)
            drawn = board.expect_screen(with_path(drawn, path(position, end)))
            position = end

        board.touch(board.centre(CONTROLS["q"]))
        status = board.wait_exit(EXIT_TIMEOUT)
        board.lift_fingers()
        if status is None:
            raise Failure("the board still runs with the end held")
        board.expect_exit(0)
        check_saved(board, lambda: board.tap(*board.centre(SAVE)), drawn)


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
             touch_controls_draw_as_keys_do, opens_with_no_network_after_a_visit]

if __name__ == "__main__":
    sys.exit(harness.main(SCENARIOS))
