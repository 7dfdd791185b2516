#pragma once

#include <SDL.h>

// Plots the pen's cross centred at (x, y), under the lock where the screen needs one, and
// presents nothing. Returns false, having drawn nothing, when the screen cannot be locked.
// Apart from draw_cursor, only the benchmarks call it: it is the stamp's cost without the flip.
bool stamp_cursor(SDL_Surface* screen, int x, int y);

// Stamps the pen's cross centred at (x, y) and presents the whole screen. If the screen cannot
// be locked, neither the stamp nor the flip happens.
void draw_cursor(SDL_Surface* screen, int x, int y);
