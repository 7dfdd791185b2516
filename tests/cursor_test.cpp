#include "cursor.h"

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "sdl_environment.h"

namespace {

constexpr Uint32 black = 0;
constexpr Uint32 white = 0x00ffffff;
constexpr Uint32 arm = 0x006464c8;

// The cross drawn by hand: centre white; arms of four pixels and the four diagonal neighbours in
// the arm colour.
Uint32 expected_stamp_pixel(int dx, int dy) {
    if (dx == 0 && dy == 0) {
        return white;
    }
    const bool on_arm = (dx == 0 && std::abs(dy) <= 4) || (dy == 0 && std::abs(dx) <= 4);
    const bool diagonal = std::abs(dx) == 1 && std::abs(dy) == 1;
    return on_arm || diagonal ? arm : black;
}

int count_not(const SDL_Surface* surface, Uint32 value) {
    int count = 0;
    for (int y = 0; y < surface->h; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            count += pixel_at(surface, x, y) != value ? 1 : 0;
        }
    }
    return count;
}

TEST(CursorStamp, DrawsExactlyTheCrossAndNothingElse) {
    SDL_Surface* screen = test_screen();
    for (const auto& [cx, cy] : {std::pair{640, 512}, std::pair{188, 205}, std::pair{1130, 804}}) {
        SCOPED_TRACE(testing::Message() << "centre " << cx << "," << cy);
        clear_surface(screen, black);
        draw_cursor(screen, cx, cy);
        for (int dy = -6; dy <= 6; ++dy) {
            for (int dx = -6; dx <= 6; ++dx) {
                EXPECT_EQ(pixel_at(screen, cx + dx, cy + dy), expected_stamp_pixel(dx, dy))
                    << "offset " << dx << "," << dy;
            }
        }
        EXPECT_EQ(count_not(screen, black), 21);
    }
}

TEST(CursorStamp, FollowsThePitchOfPaddedRows) {
    constexpr int width = 40;
    constexpr int height = 30;
    constexpr int stride = 64;
    constexpr Uint32 padding = 0xdeadbeef;
    std::vector<Uint32> memory(stride * height, black);
    for (int y = 0; y < height; ++y) {
        for (int x = width; x < stride; ++x) {
            memory[y * stride + x] = padding;
        }
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceFrom(memory.data(), width, height, 32, stride * 4,
                                                    0x00ff0000, 0x0000ff00, 0x000000ff, 0);
    ASSERT_NE(surface, nullptr);

    draw_cursor(surface, 20, 15);

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            const Uint32 expected = x >= width ? padding : expected_stamp_pixel(x - 20, y - 15);
            ASSERT_EQ(memory[y * stride + x], expected) << "at " << x << "," << y;
        }
    }
    SDL_FreeSurface(surface);
}

} // namespace
