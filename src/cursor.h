#pragma once

#include <SDL.h>

// Stamps the pen's cross centred at (x, y) and presents the whole screen. If the screen cannot
// be locked, neither the stamp nor the flip happens.
void draw_cursor(SDL_Surface* screen, int x, int y);
