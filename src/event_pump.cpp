#include "event_pump.h"

void pump_events(InputState& input) {
    while (SDL_PollEvent(&input.event) != 0) {
        switch (input.event.type) {
        case SDL_KEYDOWN:
            input.keys = SDL_GetKeyState(nullptr);
            input.input_seen = true;
            break;
        case SDL_QUIT:
            input.input_seen = true;
            break;
        default:
            break;
        }
    }
}
