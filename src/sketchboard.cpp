#include "sketchboard.h"

#include <SDL.h>

#include "drawing_loop.h"
#include "event_pump.h"
#include "pictures.h"
#include "pixels.h"

namespace {

constexpr int screen_width = 1280;
constexpr int screen_height = 1024;
constexpr int screen_bits_per_pixel = 32;

void show_title_screen(const Pictures& pictures, SDL_Surface* screen) {
    // White first, so that whatever a missing picture leaves uncovered is white.
    fill_screen_white(screen);
    blit_picture(pictures, background_image, screen);
    blit_picture(pictures, board_image, screen);
    blit_picture(pictures, header_image, screen);
    blit_picture(pictures, waiting_banner, screen);
    SDL_Flip(screen);
}

void wait_for_first_input(InputState& input) {
    while (!input.input_seen) {
        pump_events(input);
    }
}

} // namespace

int run_sketchboard(int /*argc*/, char** /*argv*/) {
    const Pictures pictures = load_pictures();
    InputState input;

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        return 1;
    }
    SDL_Surface* const screen = SDL_SetVideoMode(screen_width, screen_height, screen_bits_per_pixel,
                                                 SDL_FULLSCREEN | SDL_HWSURFACE);
    if (screen == nullptr) {
        SDL_Quit();
        return 1;
    }

    show_title_screen(pictures, screen);
    wait_for_first_input(input);

    blit_picture(pictures, drawing_banner, screen);
    SDL_Flip(screen);

    run_drawing_loop(screen, input);
    return 0;
}
