"""What the screen should show, worked out independently of the program: where each picture
goes, the pen's cross and its limits, and the test pictures themselves."""

from images import WHITE, Image

ARM = (100, 100, 200)  # the cross's arms; its centre is white

BOARD, HEADER, DRAWING_BANNER, BACKGROUND, WAITING_BANNER = (
    "Data1.skt", "Data2.skt", "Data3.skt", "Data4.skt", "Data5.skt")

# The part of each picture that is drawn (from its top-left corner) and where it lands.
PLACES = {
    BOARD: ((0, 0, 954, 610), (183, 200)),
    HEADER: ((0, 0, 330, 140), (470, 40)),
    DRAWING_BANNER: ((0, 0, 750, 90), (290, 860)),
    BACKGROUND: ((0, 0, 1280, 1024), (0, 0)),
    WAITING_BANNER: ((0, 0, 650, 70), (350, 860)),
}
TITLE_ORDER = (BACKGROUND, BOARD, HEADER, WAITING_BANNER)

START = (300, 300)
# The outermost centres of a stamp: one pixel past where the pen rests between passes.
LEFT_LIMIT, RIGHT_LIMIT, TOP_LIMIT, BOTTOM_LIMIT = 188, 1130, 205, 803
# With Space and Down held together the last stamp of a pass lands one row lower still.
BOTTOM_LIMIT_BOTH_KEYS = 804

CROSS = ([(0, 0, WHITE)]
         + [(d * k, 0, ARM) for d in (1, -1) for k in range(1, 5)]
         + [(0, d * k, ARM) for d in (1, -1) for k in range(1, 5)]
         + [(1, 1, ARM), (-1, -1, ARM), (1, -1, ARM), (-1, 1, ARM)])

MARK_SIZE = 3
MARK_COLOURS = ((255, 0, 0), (0, 200, 0), (0, 0, 255), (255, 220, 0))  # TL, TR, BL, BR
BEYOND_THE_CUT = (255, 0, 255)  # parts of a picture that must never reach the screen


def marked_picture(width, height, colour):
    """A plain picture with a small mark of a different colour in each corner, so that a
    picture drawn shifted, cut wrongly or upside down shows it."""
    picture = Image(width, height, colour)
    corners = ((0, 0), (width - MARK_SIZE, 0), (0, height - MARK_SIZE),
               (width - MARK_SIZE, height - MARK_SIZE))
    for (x, y), mark in zip(corners, MARK_COLOURS):
        picture.fill_rect(x, y, MARK_SIZE, MARK_SIZE, mark)
    return picture


def oversized_picture(name, extra_width, extra_height, colour):
    """Larger than its rectangle: marked at the rectangle's corners, and beyond the rectangle
    a colour that must be cut away."""
    (_, _, width, height), _ = PLACES[name]
    picture = Image(width + extra_width, height + extra_height, BEYOND_THE_CUT)
    picture.blit(marked_picture(width, height, colour), (0, 0, width, height), 0, 0)
    return picture


def test_pictures():
    """All five: the board larger than its rectangle, the header smaller than its rectangle,
    the others exactly their rectangle's size; each a plain colour of its own."""
    def exact(name, colour):
        (_, _, width, height), _ = PLACES[name]
        return marked_picture(width, height, colour)

    return {
        BOARD: oversized_picture(BOARD, 46, 40, (230, 220, 160)),
        HEADER: marked_picture(200, 100, (200, 120, 40)),
        DRAWING_BANNER: exact(DRAWING_BANNER, (40, 40, 90)),
        BACKGROUND: exact(BACKGROUND, (60, 120, 60)),
        WAITING_BANNER: exact(WAITING_BANNER, (150, 40, 120)),
    }


def draw_picture(screen, pictures, name):
    picture = pictures.get(name)
    if picture is not None:
        source, (x, y) = PLACES[name]
        screen.blit(picture, source, x, y)


def title_screen(pictures):
    """White, then background, board, header and waiting banner, as present."""
    screen = Image(1280, 1024, WHITE)
    for name in TITLE_ORDER:
        draw_picture(screen, pictures, name)
    return screen


def drawing_screen(pictures):
    """The title screen once a key was pressed: the drawing banner over the waiting banner."""
    screen = title_screen(pictures)
    draw_picture(screen, pictures, DRAWING_BANNER)
    return screen


def stamp(screen, x, y):
    for dx, dy, colour in CROSS:
        screen.set_pixel(x + dx, y + dy, colour)


def with_path(screen, *paths):
    """A copy of screen with a stamp at each position of the paths, in order."""
    out = screen.copy()
    for path in paths:
        for x, y in path:
            stamp(out, x, y)
    return out


def line(start, end):
    """The positions a pen passes going straight from start (not included) to end."""
    (x0, y0), (x1, y1) = start, end
    steps = max(abs(x1 - x0), abs(y1 - y0))
    dx, dy = (x1 > x0) - (x1 < x0), (y1 > y0) - (y1 < y0)
    return [(x0 + dx * k, y0 + dy * k) for k in range(1, steps + 1)]


def diagonal(start, end):
    """The positions a pen passes going diagonally from start (not included) to end with a
    vertical and a horizontal key held: in each pass the vertical step, then the horizontal."""
    (x0, y0), (x1, y1) = start, end
    steps = abs(x1 - x0)
    dx, dy = (x1 > x0) - (x1 < x0), (y1 > y0) - (y1 < y0)
    return [position for k in range(1, steps + 1)
            for position in ((x0 + dx * (k - 1), y0 + dy * k), (x0 + dx * k, y0 + dy * k))]


def shows_arm_at(x, y):
    """A screen predicate: the pixel at x, y is the arms' colour."""
    return lambda screen: screen.pixel(x, y) == ARM
