#pragma once

#include <SDL.h>

// The screen holds 32-bit pixels; a pixel is addressed by a row offset (counted in pixels, not
// bytes) plus a column.
struct Colour {
    Uint8 red;
    Uint8 green;
    Uint8 blue;
};

constexpr Colour cursor_core_colour{255, 255, 255};
constexpr Colour cursor_arm_colour{100, 100, 200};

// Stores one colour, mapped through the screen's own pixel format. No bounds check, no lock, no
// flip: the caller keeps the index inside the surface and holds the lock where one is needed.
void plot_pixel(SDL_Surface* screen, int x, int row_offset, Uint8 r, Uint8 g, Uint8 b);

// Number of 32-bit pixels from the start of one row to the start of the next, padding included.
int pixels_per_row(const SDL_Surface* screen);

// Lock the screen where SDL says direct access needs it. False means the pixels must not be
// touched this time.
bool lock_for_drawing(SDL_Surface* screen);
void unlock_after_drawing(SDL_Surface* screen);

// Paints every pixel of the screen white, one plot_pixel at a time; skipped if the lock fails.
void fill_screen_white(SDL_Surface* screen);
