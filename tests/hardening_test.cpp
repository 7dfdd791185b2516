// The program's defences that need no picture: odd files under a picture's name, SIGTERM, and
// the choice of video driver.
#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bmp_test_files.h"
#include "drawing_loop.h"
#include "picture_file.h"
#include "sdl_environment.h"
#include "termination.h"
#include "video_driver.h"

namespace {

TEST(PictureFile, ReadsARegularFileWhole) {
    const std::vector<std::uint8_t> content(70000, 0x5a); // more than one read's worth
    const std::string path = write_temporary_file("Data1.skt", content);
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(read_picture_file(path.c_str(), content.size(), bytes));
    EXPECT_EQ(bytes, content);
    EXPECT_FALSE(read_picture_file(path.c_str(), content.size() - 1, bytes)) << "one byte too long";
    EXPECT_TRUE(bytes.empty());
    remove_temporary_file(path);
}

TEST(PictureFile, RefusesWhatIsNotARegularFileWithoutWaiting) {
    const std::string path = write_temporary_file("Data1.skt", {});
    std::vector<std::uint8_t> bytes;
    std::remove(path.c_str());
    EXPECT_FALSE(read_picture_file(path.c_str(), 1000, bytes)) << "missing";

    // A FIFO with no writer: a blocking open would never return.
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    // Should the open block after all, end the test run rather than hang it. SDL sets SIGALRM
    // to be ignored, so its default comes back for the moment.
    const auto previous_alarm = std::signal(SIGALRM, SIG_DFL);
    alarm(10);
    EXPECT_FALSE(read_picture_file(path.c_str(), 1000, bytes)) << "FIFO";
    alarm(0);
    std::signal(SIGALRM, previous_alarm);
    std::remove(path.c_str());

    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_FALSE(read_picture_file(path.c_str(), 1000, bytes)) << "folder";
    rmdir(path.c_str());
    remove_temporary_file(path);

    EXPECT_FALSE(read_picture_file("/dev/zero", 1000, bytes)) << "device";
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

TEST(VideoDriver, StartsOnlyWithADriverNamedOrADisplayToOpen) {
    EXPECT_FALSE(may_start_video(nullptr, nullptr, nullptr));
    EXPECT_FALSE(may_start_video("", "", "")) << "set but empty counts as unset";
    EXPECT_TRUE(may_start_video("dummy", nullptr, nullptr));
    EXPECT_TRUE(may_start_video(nullptr, ":0", nullptr));
    EXPECT_TRUE(may_start_video(nullptr, nullptr, "wayland-0"));
}

TEST(VideoDriver, FallbacksThatShowNothingAreRefused) {
    for (const char* invisible : {"offscreen", "dummy", "caca", "aalib"}) {
        EXPECT_FALSE(shows_on_a_screen(invisible)) << invisible;
    }
    for (const char* visible : {"x11", "wayland", "fbcon", "kmsdrm", "directfb"}) {
        EXPECT_TRUE(shows_on_a_screen(visible)) << visible;
    }
}

} // namespace
