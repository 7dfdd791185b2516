#pragma once

#include <SDL_keysym.h>
#include <SDL_types.h>

// The pen's movement, kept free of the screen so that it can be driven from a plain key array.

// Direction codes of the step functions.
constexpr int step_left = 1;
constexpr int step_right = 2;
constexpr int step_down = 1;
constexpr int step_up = 2;

int step_x(int code, int x);
int step_y(int code, int y);

// Where the pen stays between passes. A step within a pass may go one pixel past these (two
// below the bottom with Space and Down together); every stamp there still lies on the board.
constexpr int cursor_min_x = 189;
constexpr int cursor_max_x = 1129;
constexpr int cursor_min_y = 206;
constexpr int cursor_max_y = 802;

constexpr int cursor_start_x = 300;
constexpr int cursor_start_y = 300;

// Brings a position that stepped past a limit back inside.
void clamp_cursor(int& cursor_x, int& cursor_y);

// Walks the held keys in their fixed order: Space, Down, Up, Left, Right, then q. Each held
// movement key steps the pen one pixel and calls stamp(x, y) at once at the new position, so a
// diagonal move stamps after its vertical step and again after its horizontal one. A null key
// array means no key has been pressed yet. Returns false when q is held.
template <typename Stamp>
bool move_pen(const Uint8* keys, int& cursor_x, int& cursor_y, Stamp&& stamp) {
    if (keys == nullptr) {
        return true;
    }
    if (keys[SDLK_SPACE] != 0) {
        cursor_y = step_y(step_down, cursor_y);
        stamp(cursor_x, cursor_y);
    }
    if (keys[SDLK_DOWN] != 0) {
        cursor_y = step_y(step_down, cursor_y);
        stamp(cursor_x, cursor_y);
    }
    if (keys[SDLK_UP] != 0) {
        cursor_y = step_y(step_up, cursor_y);
        stamp(cursor_x, cursor_y);
    }
    if (keys[SDLK_LEFT] != 0) {
        cursor_x = step_x(step_left, cursor_x);
        stamp(cursor_x, cursor_y);
    }
    if (keys[SDLK_RIGHT] != 0) {
        cursor_x = step_x(step_right, cursor_x);
        stamp(cursor_x, cursor_y);
    }
    return keys[SDLK_q] == 0;
}
