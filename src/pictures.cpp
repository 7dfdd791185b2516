#include "pictures.h"

namespace {

SDL_Surface* load_picture(const char* file_name) {
    SDL_RWops* stream = SDL_RWFromFile(file_name, "rb");
    if (stream == nullptr) {
        return nullptr;
    }
    return SDL_LoadBMP_RW(stream, 1);
}

} // namespace

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
