#include <cstdlib>

#include <SDL.h>

#include "sketchboard.h"

int main(int argc, char** argv) {
    // SDL_Quit restores the desktop's display mode on every way out of the program.
    std::atexit(SDL_Quit);
    return run_sketchboard(argc, argv);
}
