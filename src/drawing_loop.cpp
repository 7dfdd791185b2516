#include "drawing_loop.h"

#include "cursor.h"
#include "pen.h"
#include "system.h"

bool drawing_pass(SDL_Surface* screen, const Uint8* keys, int& cursor_x, int& cursor_y) {
    return move_pen(keys, cursor_x, cursor_y,
                    [screen](int x, int y) { draw_cursor(screen, x, y); });
}

DrawingEnd run_drawing_loop(SDL_Surface* screen, InputState& input) {
    int cursor_x = cursor_start_x;
    int cursor_y = cursor_start_y;
    bool running = true;
    while (running) {
        if (termination_requested()) {
            return DrawingEnd::terminated;
        }
        // The clamp comes first, so a step across a limit is stamped one pixel outside it and
        // pulled back on the next pass; the pen's arms never leave the board either way.
        clamp_cursor(cursor_x, cursor_y);
        pump_events(input);
        running = drawing_pass(screen, input.keys, cursor_x, cursor_y);
        yield_to_browser();
    }
    return DrawingEnd::quit_key;
}
