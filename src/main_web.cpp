#include <cstdlib>

#include <SDL.h>

#include "sketchboard.h"

int main(int argc, char** argv) {
    // At exit SDL_Quit gives the page its keyboard back (web/sdl_quit.js).
    std::atexit(SDL_Quit);
    // Ended by exit rather than by returning: the program is suspended and resumed at every
    // yield to the browser, and the value main returns after its first suspension reaches
    // nobody, so the page would never hear that the program ended, nor its status.
    std::exit(run_sketchboard(argc, argv));
}
