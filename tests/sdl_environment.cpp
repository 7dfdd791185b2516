#include "sdl_environment.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

class SdlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_NE(SDL_SetVideoMode(1280, 1024, 32, SDL_FULLSCREEN | SDL_HWSURFACE), nullptr);
    }
    void TearDown() override { SDL_Quit(); }
};

} // namespace

SDL_Surface* test_screen() {
    return SDL_GetVideoSurface();
}

void clear_surface(SDL_Surface* surface, Uint32 value) {
    SDL_FillRect(surface, nullptr, value);
}

Uint32 pixel_at(const SDL_Surface* surface, int x, int y) {
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<const Uint32*>(row)[x];
}

void drain_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
    }
}

int main(int argc, char** argv) {
    // CTest names the dummy driver; do the same when the tests are started by hand. SDL_putenv,
    // as Windows has no setenv; it keeps the string, hence static.
    static char dummy_driver[] = "SDL_VIDEODRIVER=dummy";
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) {
        SDL_putenv(dummy_driver);
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new SdlEnvironment);
    return RUN_ALL_TESTS();
}
