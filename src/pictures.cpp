#include "pictures.h"

#include "bmp_check.h"
#include "system.h"

SDL_Surface* load_picture_from_memory(const std::uint8_t* bytes, std::size_t size) {
    if (check_bmp(bytes, size, picture_reader()) != BmpVerdict::accepted) {
        return nullptr;
    }
    // SDL reads the very bytes that were checked; it copies the pixels into its own surface.
    SDL_RWops* const stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr) {
        return nullptr;
    }
    SDL_Surface* const picture = SDL_LoadBMP_RW(stream, 1);
    if (picture != nullptr) {
        // Every picture is drawn opaque. sdl12-compat reads a 32-bit picture whose header has
        // room for an opacity mask but names none (0) as if its fourth bytes were opacity, and
        // would blend it; classic SDL 1.2 ignores those bytes. Blitting without alpha copies
        // the colours as classic does.
        SDL_SetAlpha(picture, 0, SDL_ALPHA_OPAQUE);
    }
    return picture;
}

SDL_Surface* load_picture(const char* file_name, const PictureBuffer& buffer) {
    std::size_t size = 0;
    if (!read_picture_file(file_name, buffer, size)) {
        return nullptr;
    }
    return load_picture_from_memory(buffer.bytes(), size);
}

Pictures load_pictures() {
    // One buffer for all five: each file reuses the memory the one before it filled.
    const PictureBuffer buffer(max_picture_file_bytes);
    Pictures pictures{};
    for (int role = 0; role < picture_count; ++role) {
        pictures[role] = load_picture(picture_table[role].file_name, buffer);
    }
    return pictures;
}

void blit_picture(const Pictures& pictures, PictureRole role, SDL_Surface* screen) {
    const PictureSlot& slot = picture_table[role];
    SDL_Rect source = slot.source;
    SDL_Rect destination{slot.destination_x, slot.destination_y, 0, 0};
    SDL_UpperBlit(pictures[role], &source, screen, &destination);
}
