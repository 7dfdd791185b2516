// Emscripten's SDL.h is SDL 2's, with SDL 1.2's calls declared on top (SDL_compat.h); its
// library, in JavaScript, provides SDL_GetKeyState as well, but no header declares it. This one
// adds the declaration to emscripten's header and is otherwise that header.
#pragma once

#include_next <SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

Uint8* SDL_GetKeyState(int* numkeys);

#ifdef __cplusplus
}
#endif
