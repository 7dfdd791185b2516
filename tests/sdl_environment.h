#pragma once

#include <SDL.h>

// The full-screen mode the program uses, opened once for all tests on SDL's dummy driver.
SDL_Surface* test_screen();

// Paints the whole surface one colour, so a test can see exactly what it drew.
void clear_surface(SDL_Surface* surface, Uint32 value);

// Reads the 32-bit pixel at column x, row y, through the surface's pitch.
Uint32 pixel_at(const SDL_Surface* surface, int x, int y);

// Empties SDL's event queue.
void drain_events();
