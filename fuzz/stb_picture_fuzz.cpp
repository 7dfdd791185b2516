// libFuzzer target for the pictures of the browser build, where SDL hands a picture's bytes to
// stb_image rather than reading them itself: any bytes through the program's check for that
// reader, then through the very stb_image source the browser build links. A crash, a sanitizer
// report or an allocation above -malloc_limit_mb is a finding, and so is a picture the check
// lets through that stb_image then refuses, or shows otherwise than the desktop program shows it
// with SDL 1.2's own reader: in the browser a picture must look as on the desktop or count as
// missing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <SDL.h>
#include <stb_image.h>

#include "bmp_check.h"
#include "pictures.h"

namespace {

[[noreturn]] void finding(const char* what) {
    std::fprintf(stderr, "stb_picture_fuzz: %s\n", what);
    std::abort();
}

// The picture as the desktop program loads it with SDL 1.2, blitted onto a 32-bit surface as the
// title screen blits it.
SDL_Surface* read_with_sdl(const std::uint8_t* data, std::size_t size) {
    SDL_Surface* const picture = load_picture_from_memory(data, size);
    if (picture == nullptr) {
        finding("SDL refuses a picture the check accepted");
    }
    SDL_Surface* const shown = SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w, picture->h, 32,
                                                    0x00ff0000, 0x0000ff00, 0x000000ff, 0);
    if (shown == nullptr || SDL_BlitSurface(picture, nullptr, shown, nullptr) < 0) {
        std::abort();
    }
    SDL_FreeSurface(picture);
    return shown;
}

void compare(const SDL_Surface* shown, const stbi_uc* decoded, int channels) {
    for (int y = 0; y < shown->h; ++y) {
        const auto* const row = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(shown->pixels) + y * shown->pitch);
        for (int x = 0; x < shown->w; ++x) {
            const stbi_uc* const pixel = decoded + (std::size_t{1} * y * shown->w + x) * channels;
            const Uint32 colour = row[x];
            if (pixel[0] != ((colour >> 16) & 0xff) || pixel[1] != ((colour >> 8) & 0xff) ||
                pixel[2] != (colour & 0xff)) {
                finding("stb_image shows a pixel in another colour than SDL");
            }
            if (channels == 4 && pixel[3] != 0xff) {
                finding("stb_image takes a pixel as transparent");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return SDL_Init(SDL_INIT_VIDEO) < 0 ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (check_bmp(data, size, PictureReader::stb_image) != BmpVerdict::accepted) {
        return 0;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* const decoded =
        stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 0);
    if (decoded == nullptr) {
        finding("stb_image refuses a picture the check accepted");
    }
    SDL_Surface* const shown = read_with_sdl(data, size);
    if (width != shown->w || height != shown->h || (channels != 3 && channels != 4)) {
        finding("stb_image reads another size or kind of picture than SDL");
    }
    compare(shown, decoded, channels);
    SDL_FreeSurface(shown);
    stbi_image_free(decoded);
    return 0;
}
