#include <SDL.h>

#include "sketchboard.h"

// SDL's main wrapper is the process entry on Windows (SDL.h renames this function SDL_main): it
// has already initialised SDL and registered SDL_Quit to run at exit, and it exits with what
// this returns. Registering SDL_Quit here as well would only run it twice.
int main(int argc, char** argv) {
    return run_sketchboard(argc, argv);
}
