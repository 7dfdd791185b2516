// libFuzzer target: any bytes as a picture file, through the program's own check, SDL's BMP
// reader and the blits of the title screen, onto a screen-sized 32-bit surface. A crash, a
// sanitizer report or an allocation above -malloc_limit_mb is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <SDL.h>

#include "pictures.h"

namespace {

SDL_Surface* make_screen() {
    // The dummy driver, so that this runs without a display on either SDL implementation.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::abort();
    }
    SDL_Surface* const screen =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 1280, 1024, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0);
    if (screen == nullptr) {
        std::abort();
    }
    return screen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer calls this function for ever: the one screen lives as long as the process.
    static SDL_Surface* const screen = make_screen();
    SDL_Surface* const picture = load_picture_from_memory(data, size);
    if (picture == nullptr) {
        return 0;
    }
    // The same picture in every role, so that each rectangle of the title screen is blitted.
    Pictures pictures{};
    pictures.fill(picture);
    for (int role = 0; role < picture_count; ++role) {
        blit_picture(pictures, static_cast<PictureRole>(role), screen);
    }
    SDL_FreeSurface(picture);
    return 0;
}
