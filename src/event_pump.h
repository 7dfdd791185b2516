#pragma once

#include <SDL.h>

// What the program knows about its input, filled by pump_events.
struct InputState {
    SDL_Event event{};       // buffer for SDL_PollEvent; only the type is looked at
    Uint8* keys = nullptr;   // SDL's key-state array, known from the first key-down on
    bool input_seen = false; // a key-down or quit event has arrived; never cleared
};

// Drains SDL's event queue without waiting. A key-down refreshes the key-state pointer and marks
// input as seen; a quit request only marks input as seen; everything else is dropped.
void pump_events(InputState& input);
