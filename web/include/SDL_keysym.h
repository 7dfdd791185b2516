// SDL 1.2 declares its key names in SDL_keysym.h, which emscripten's SDL has not: there the names
// come with SDL.h (SDL_keycode.h, and SDLKey from SDL_compat.h). Their values are the indexes of
// emscripten's key-state array, as SDL 1.2's are of its own.
#pragma once

#include <SDL.h>
