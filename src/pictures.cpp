#include "pictures.h"

#include <vector>

#include "bmp_check.h"
#include "picture_file.h"

SDL_Surface* load_picture_from_memory(const std::uint8_t* bytes, std::size_t size) {
    if (check_bmp(bytes, size) != BmpVerdict::accepted) {
        return nullptr;
    }
    // SDL reads the very bytes that were checked; it copies the pixels into its own surface.
    SDL_RWops* const stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr) {
        return nullptr;
    }
    return SDL_LoadBMP_RW(stream, 1);
}

SDL_Surface* load_picture(const char* file_name) {
    std::vector<std::uint8_t> bytes;
    if (!read_picture_file(file_name, max_picture_file_bytes, bytes)) {
        return nullptr;
    }
    return load_picture_from_memory(bytes.data(), bytes.size());
}

Pictures load_pictures() {
    Pictures pictures{};
    for (int role = 0; role < picture_count; ++role) {
        pictures[role] = load_picture(picture_table[role].file_name);
    }
    return pictures;
}

void blit_picture(const Pictures& pictures, PictureRole role, SDL_Surface* screen) {
    const PictureSlot& slot = picture_table[role];
    SDL_Rect source = slot.source;
    SDL_Rect destination{slot.destination_x, slot.destination_y, 0, 0};
    SDL_UpperBlit(pictures[role], &source, screen, &destination);
}
