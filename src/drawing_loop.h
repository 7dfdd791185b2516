#pragma once

#include <SDL.h>

#include "event_pump.h"

// One pass of drawing, given the keys held: moves and stamps the pen on the screen. Returns
// false once q is held. The caller clamps and pumps events before each pass.
bool drawing_pass(SDL_Surface* screen, const Uint8* keys, int& cursor_x, int& cursor_y);

// How the drawing ended: the user held q, or a SIGTERM arrived.
enum class DrawingEnd { quit_key, terminated };

// Lets the user draw until q is held or a SIGTERM is waiting. Quit requests are drained and
// ignored here: they do not end the drawing.
DrawingEnd run_drawing_loop(SDL_Surface* screen, InputState& input);
