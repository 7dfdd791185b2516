#include "sketchboard.h"

#include <SDL.h>

#include "drawing_loop.h"
#include "event_pump.h"
#include "pictures.h"
#include "pixels.h"
#include "system.h"

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

// Returns false when a SIGTERM ended the wait instead of the user.
bool wait_for_first_input(InputState& input) {
    while (!input.input_seen) {
        if (termination_requested()) {
            return false;
        }
        pump_events(input);
        yield_to_browser();
    }
    return true;
}

} // namespace

int run_sketchboard(int /*argc*/, char** /*argv*/) {
    // Before SDL_Init, so that the threads SDL starts are covered too.
    hold_termination_requests();
    const Pictures pictures = load_pictures();
    if (termination_requested()) {
        return terminated_status;
    }
    InputState input;

    if (!start_video()) {
        return 1;
    }
    SDL_Surface* const screen = SDL_SetVideoMode(screen_width, screen_height, screen_bits_per_pixel,
                                                 SDL_FULLSCREEN | SDL_HWSURFACE);
    if (screen == nullptr) {
        SDL_Quit();
        return 1;
    }

    show_title_screen(pictures, screen);
    if (!wait_for_first_input(input)) {
        return terminated_status;
    }

    blit_picture(pictures, drawing_banner, screen);
    SDL_Flip(screen);

    if (run_drawing_loop(screen, input) == DrawingEnd::terminated) {
        return terminated_status;
    }
    return 0;
}
