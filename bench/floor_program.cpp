// The floor for the whole-program figures: sets the sketch board's mode, fills it white once with
// SDL's own fill, presents it, and waits for a key so that it can be measured while it shows.

#include <SDL.h>

int main(int /*argc*/, char** /*argv*/) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        return 1;
    }
    SDL_Surface* const screen = SDL_SetVideoMode(1280, 1024, 32, SDL_FULLSCREEN | SDL_HWSURFACE);
    if (screen == nullptr) {
        SDL_Quit();
        return 1;
    }
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
    SDL_Flip(screen);

    SDL_Event event;
    while (SDL_WaitEvent(&event) != 0) {
        if (event.type == SDL_KEYDOWN || event.type == SDL_QUIT) {
            break;
        }
    }
    SDL_Quit();
    return 0;
}
