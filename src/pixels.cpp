#include "pixels.h"

void plot_pixel(SDL_Surface* screen, int x, int row_offset, Uint8 r, Uint8 g, Uint8 b) {
    const Uint32 value = SDL_MapRGB(screen->format, r, g, b);
    static_cast<Uint32*>(screen->pixels)[row_offset + x] = value;
}

int pixels_per_row(const SDL_Surface* screen) {
    return screen->pitch / 4;
}

bool lock_for_drawing(SDL_Surface* screen) {
    if (!SDL_MUSTLOCK(screen)) {
        return true;
    }
    return SDL_LockSurface(screen) >= 0;
}

void unlock_after_drawing(SDL_Surface* screen) {
    if (SDL_MUSTLOCK(screen)) {
        SDL_UnlockSurface(screen);
    }
}

void fill_screen_white(SDL_Surface* screen) {
    if (!lock_for_drawing(screen)) {
        return;
    }
    const Colour white = cursor_core_colour;
    for (int row = 0; row < screen->h; ++row) {
        const int row_offset = row * pixels_per_row(screen);
        for (int column = 0; column < screen->w; ++column) {
            plot_pixel(screen, column, row_offset, white.red, white.green, white.blue);
        }
    }
    unlock_after_drawing(screen);
}
