// What only POSIX systems have: a FIFO under a picture's name, SIGTERM, and the choice of video
// driver.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bmp_test_files.h"
#include "drawing_loop.h"
#include "sdl_environment.h"
#include "system.h"
#include "video_driver.h"

namespace {

TEST(PictureFile, RefusesAFifoWithoutWaiting) {
    const std::string path = write_temporary_file("Data1.skt", {});
    const PictureBuffer buffer(1000);
    std::size_t size = 0;
    std::remove(path.c_str());

    // A FIFO with no writer: a blocking open would never return.
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    // Should the open block after all, end the test run rather than hang it. SDL sets SIGALRM
    // to be ignored, so its default comes back for the moment.
    const auto previous_alarm = std::signal(SIGALRM, SIG_DFL);
    alarm(10);
    EXPECT_FALSE(read_picture_file(path.c_str(), buffer, size)) << "FIFO";
    alarm(0);
    std::signal(SIGALRM, previous_alarm);
    remove_temporary_file(path);
}

// Raises SIGTERM at this thread with the signal held, as the program holds it.
class PendingTermination : public ::testing::Test {
  protected:
    void SetUp() override {
        sigemptyset(&termination);
        sigaddset(&termination, SIGTERM);
        ASSERT_EQ(sigprocmask(SIG_BLOCK, &termination, &previous_mask), 0);
    }
    void TearDown() override {
        // Take the signal back before unblocking, or it would end the test run.
        const timespec no_wait{0, 0};
        while (sigtimedwait(&termination, nullptr, &no_wait) == SIGTERM) {
        }
        sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    }
    sigset_t termination{};
    sigset_t previous_mask{};
};

TEST_F(PendingTermination, IsSeenOnlyOnceItArrivesAndKeepsBeingSeen) {
    EXPECT_FALSE(termination_requested());
    ASSERT_EQ(raise(SIGTERM), 0);
    EXPECT_TRUE(termination_requested());
    EXPECT_TRUE(termination_requested()) << "looking must not consume the signal";
}

TEST_F(PendingTermination, EndsTheDrawingLoopBeforeAnotherStep) {
    SDL_Surface* const screen = test_screen();
    clear_surface(screen, 0);
    Uint8* const sdl_keys = SDL_GetKeyState(nullptr);
    sdl_keys[SDLK_RIGHT] = 1; // held, and q is not: only the signal can end the loop
    drain_events();
    SDL_Event key_down{};
    key_down.type = SDL_KEYDOWN;
    ASSERT_EQ(SDL_PushEvent(&key_down), 0);
    ASSERT_EQ(raise(SIGTERM), 0);

    InputState input;
    const DrawingEnd end = run_drawing_loop(screen, input);
    sdl_keys[SDLK_RIGHT] = 0;

    EXPECT_EQ(end, DrawingEnd::terminated);
    EXPECT_EQ(pixel_at(screen, 301, 300), 0u) << "no stamp after the signal";
}

TEST(VideoDriver, OnlyTheDriversOfDisplaysTheEnvironmentNames) {
    using Drivers = std::vector<std::string>;
    const auto drivers = [](const char* x11, const char* wayland) {
        const std::vector<const char*> names = display_drivers(x11, wayland);
        return Drivers(names.begin(), names.end());
    };
    EXPECT_EQ(drivers(nullptr, nullptr), Drivers{}) << "no display: no driver at all";
    EXPECT_EQ(drivers("", ""), Drivers{}) << "set but empty counts as unset";
    EXPECT_EQ(drivers(":0", nullptr), Drivers{"x11"});
    EXPECT_EQ(drivers(nullptr, "wayland-0"), Drivers{"wayland"});
    EXPECT_EQ(drivers(":0", "wayland-0"), (Drivers{"x11", "wayland"}));
}

} // namespace
