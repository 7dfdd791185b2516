#include "pixels.h"

#include <vector>

#include <gtest/gtest.h>

#include "sdl_environment.h"

namespace {

TEST(PlotPixel, StoresTheMappedColourAtRowOffsetPlusColumn) {
    // A surface whose format stores blue in the high byte: the value must come from the format,
    // not from a fixed byte order.
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 4, 32, 0x000000ff, 0x0000ff00, 0x00ff0000, 0);
    ASSERT_NE(surface, nullptr);
    clear_surface(surface, 0);

    plot_pixel(surface, 5, 2 * 16, 100, 100, 200);

    EXPECT_EQ(pixel_at(surface, 5, 2), 0x00c86464u);
    int changed = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 16; ++x) {
            changed += pixel_at(surface, x, y) != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(changed, 1);
    SDL_FreeSurface(surface);
}

TEST(PlotPixel, ScreenColoursMatchTheTable) {
    SDL_Surface* screen = test_screen();
    clear_surface(screen, 0);
    plot_pixel(screen, 0, 0, cursor_arm_colour.red, cursor_arm_colour.green,
               cursor_arm_colour.blue);
    plot_pixel(screen, 1279, 1023 * 1280, 255, 255, 255);
    EXPECT_EQ(pixel_at(screen, 0, 0), 0x006464c8u);
    EXPECT_EQ(pixel_at(screen, 1279, 1023), 0x00ffffffu);
}

TEST(WhiteFill, CoversEveryVisiblePixelAndNoPadding) {
    // Rows padded to 20 pixels, of which 13 are visible: the fill must follow the pitch.
    constexpr int width = 13;
    constexpr int height = 7;
    constexpr int stride = 20;
    std::vector<Uint32> memory(stride * height, 0x12345678u);
    SDL_Surface* surface = SDL_CreateRGBSurfaceFrom(memory.data(), width, height, 32, stride * 4,
                                                    0x00ff0000, 0x0000ff00, 0x000000ff, 0);
    ASSERT_NE(surface, nullptr);

    fill_screen_white(surface);

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            const Uint32 expected = x < width ? 0x00ffffffu : 0x12345678u;
            ASSERT_EQ(memory[y * stride + x], expected) << "at " << x << "," << y;
        }
    }
    SDL_FreeSurface(surface);
}

} // namespace
