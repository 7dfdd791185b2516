#include "cursor.h"

#include "cursor_stamp.h"
#include "pixels.h"

bool stamp_cursor(SDL_Surface* screen, int x, int y) {
    if (!lock_for_drawing(screen)) {
        return false;
    }
    // Rows are addressed through the surface's pitch, so a screen with padded rows gets the
    // same cross as an unpadded one.
    const int stride = pixels_per_row(screen);
    for (const StampPixel& pixel : cursor_stamp) {
        const Colour colour = pixel.is_core ? cursor_core_colour : cursor_arm_colour;
        plot_pixel(screen, x + pixel.dx, (y + pixel.dy) * stride, colour.red, colour.green,
                   colour.blue);
    }
    unlock_after_drawing(screen);
    return true;
}

void draw_cursor(SDL_Surface* screen, int x, int y) {
    if (!stamp_cursor(screen, x, y)) {
        return;
    }
    SDL_Flip(screen);
}
