#include "drawing_loop.h"

#include <gtest/gtest.h>

#include "pen.h"
#include "sdl_environment.h"

namespace {

constexpr Uint32 black = 0;
constexpr Uint32 white = 0x00ffffff;
constexpr Uint32 arm = 0x006464c8;

class DrawingOnScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        screen = test_screen();
        clear_surface(screen, black);
    }
    // Runs passes as the loop does (clamp, then the held keys), without the event pump.
    void run_passes(const Uint8* keys, int passes) {
        for (int i = 0; i < passes; ++i) {
            clamp_cursor(cursor_x, cursor_y);
            drawing_pass(screen, keys, cursor_x, cursor_y);
        }
    }
    SDL_Surface* screen = nullptr;
    int cursor_x = cursor_start_x;
    int cursor_y = cursor_start_y;
    Uint8 keys[SDLK_LAST] = {};
};

TEST_F(DrawingOnScreen, HorizontalRunLeavesANinePixelBandWithOnlyTheNewestCentreWhite) {
    keys[SDLK_RIGHT] = 1;
    run_passes(keys, 50); // stamps at columns 301 to 350 on row 300

    for (int y = 290; y <= 310; ++y) {
        for (int x = 290; x <= 360; ++x) {
            Uint32 expected = black;
            if (y >= 296 && y <= 304 && x >= 301 && x <= 350) {
                expected = arm;
            }
            if (y == 300 && x >= 297 && x <= 354) {
                expected = arm;
            }
            if ((y == 299 || y == 301) && (x == 300 || x == 351)) {
                expected = arm;
            }
            if (y == 300 && x == 350) {
                expected = white;
            }
            ASSERT_EQ(pixel_at(screen, x, y), expected) << "at " << x << "," << y;
        }
    }
}

TEST_F(DrawingOnScreen, VerticalRunLeavesANinePixelWideBand) {
    keys[SDLK_DOWN] = 1;
    run_passes(keys, 40); // stamps at rows 301 to 340 in column 300

    for (int y = 301; y <= 340; ++y) {
        for (int x = 294; x <= 306; ++x) {
            const bool in_band = x >= 296 && x <= 304;
            const Uint32 expected = !in_band ? black : (x == 300 && y == 340 ? white : arm);
            ASSERT_EQ(pixel_at(screen, x, y), expected) << "at " << x << "," << y;
        }
    }
}

TEST_F(DrawingOnScreen, StampsAtTheLimitsStayOnTheBoard) {
    // The board picture covers columns 183 to 1136 and rows 200 to 809.
    const SDLKey corners[][2] = {{SDLK_LEFT, SDLK_UP}, {SDLK_RIGHT, SDLK_DOWN}};
    for (const auto& corner : corners) {
        clear_surface(screen, black);
        Uint8 held[SDLK_LAST] = {};
        held[corner[0]] = 1;
        held[corner[1]] = 1;
        held[SDLK_SPACE] = corner[1] == SDLK_DOWN ? 1 : 0;
        run_passes(held, 1200);
        for (int y = 0; y < screen->h; ++y) {
            for (int x = 0; x < screen->w; ++x) {
                const bool on_board = x >= 183 && x <= 1136 && y >= 200 && y <= 809;
                if (!on_board) {
                    ASSERT_EQ(pixel_at(screen, x, y), black) << "at " << x << "," << y;
                }
            }
        }
    }
    // Lower right: Space and Down reach row 804, Right column 1130, and the arms four more.
    EXPECT_EQ(pixel_at(screen, 1134, 804), arm);
    EXPECT_EQ(pixel_at(screen, 1130, 808), arm);
}

TEST_F(DrawingOnScreen, LoopPumpsEventsAndEndsAfterThePassInWhichQIsHeld) {
    // Under the dummy driver the key-state array can be written and keeps what was written.
    Uint8* sdl_keys = SDL_GetKeyState(nullptr);
    sdl_keys[SDLK_RIGHT] = 1;
    sdl_keys[SDLK_q] = 1;
    drain_events();
    SDL_Event key_down{};
    key_down.type = SDL_KEYDOWN;
    ASSERT_EQ(SDL_PushEvent(&key_down), 0);

    InputState input;
    run_drawing_loop(screen, input);
    sdl_keys[SDLK_RIGHT] = 0;
    sdl_keys[SDLK_q] = 0;

    EXPECT_EQ(input.keys, sdl_keys);
    // One pass from the start position: a single stamp at (301, 300).
    EXPECT_EQ(pixel_at(screen, 301, 300), white);
    EXPECT_EQ(pixel_at(screen, 297, 300), arm);
    EXPECT_EQ(pixel_at(screen, 302, 300), arm);
    EXPECT_EQ(pixel_at(screen, 305, 300), arm);
    EXPECT_EQ(pixel_at(screen, 306, 300), black);
    EXPECT_EQ(pixel_at(screen, 296, 300), black);
}

} // namespace
