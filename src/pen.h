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

enum class Axis { horizontal, vertical };

struct PenKey {
    SDLKey key;
    Axis axis;
    int code;
};

// The keys that move the pen, in the order they act within a pass: vertical before horizontal.
constexpr PenKey pen_keys[] = {
    {SDLK_SPACE, Axis::vertical, step_down},    {SDLK_DOWN, Axis::vertical, step_down},
    {SDLK_UP, Axis::vertical, step_up},         {SDLK_LEFT, Axis::horizontal, step_left},
    {SDLK_RIGHT, Axis::horizontal, step_right},
};

constexpr SDLKey quit_key = SDLK_q;

// Walks the held keys in their fixed order, then looks at q. Each held movement key steps the
// pen one pixel and calls stamp(x, y) at once at the new position, so a diagonal move stamps
// after its vertical step and again after its horizontal one. A null key array means no key has
// been pressed yet. Returns false when q is held.
template <typename Stamp>
bool move_pen(const Uint8* keys, int& cursor_x, int& cursor_y, Stamp&& stamp) {
    if (keys == nullptr) {
        return true;
    }
    for (const PenKey& pen_key : pen_keys) {
        if (keys[pen_key.key] == 0) {
            continue;
        }
        if (pen_key.axis == Axis::vertical) {
            cursor_y = step_y(pen_key.code, cursor_y);
        } else {
            cursor_x = step_x(pen_key.code, cursor_x);
        }
        stamp(cursor_x, cursor_y);
    }
    return keys[quit_key] == 0;
}
