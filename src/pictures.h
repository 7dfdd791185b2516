#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include <SDL.h>

#include "system.h"

// The five pictures, read from the working directory at start-up, in this load order.
enum PictureRole {
    board_image,
    header_image,
    drawing_banner,
    background_image,
    waiting_banner,
    picture_count
};

struct PictureSlot {
    const char* file_name;
    SDL_Rect source;      // part of the picture that is drawn, from its top-left corner
    Sint16 destination_x; // where that part's top-left corner lands on the screen
    Sint16 destination_y;
};

constexpr std::array<PictureSlot, picture_count> picture_table{{
    {"Data1.skt", {0, 0, 954, 610}, 183, 200},
    {"Data2.skt", {0, 0, 330, 140}, 470, 40},
    {"Data3.skt", {0, 0, 750, 90}, 290, 860},
    {"Data4.skt", {0, 0, 1280, 1024}, 0, 0},
    {"Data5.skt", {0, 0, 650, 70}, 350, 860},
}};

// A picture that could not be read is null and is simply not drawn.
using Pictures = std::array<SDL_Surface*, picture_count>;

// Reads one picture file through the buffer. A file that is missing, unreadable, not a regular
// file, or refused by check_bmp gives null: a refused file counts as a missing one.
SDL_Surface* load_picture(const char* file_name, const PictureBuffer& buffer);

// Checks the bytes of a whole BMP file, then lets SDL decode them; null when refused.
SDL_Surface* load_picture_from_memory(const std::uint8_t* bytes, std::size_t size);

// Loads all five in table order. Missing, unreadable or refused files give null entries.
Pictures load_pictures();

// Copies the picture of the given role to its place on the screen; a null picture draws nothing.
void blit_picture(const Pictures& pictures, PictureRole role, SDL_Surface* screen);
