#include "event_pump.h"

#include <gtest/gtest.h>

#include "sdl_environment.h"

namespace {

void push(Uint8 type) {
    SDL_Event event{};
    event.type = type;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

class EventPump : public ::testing::Test {
  protected:
    void SetUp() override { drain_events(); }
    InputState input;
};

TEST_F(EventPump, OnlyKeyDownAndQuitCountAsInput) {
    const Uint8 ignored[] = {SDL_KEYUP,         SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN,
                             SDL_MOUSEBUTTONUP, SDL_ACTIVEEVENT, SDL_VIDEOEXPOSE,
                             SDL_VIDEORESIZE,   SDL_USEREVENT};
    for (const Uint8 type : ignored) {
        push(type);
    }
    pump_events(input);
    EXPECT_FALSE(input.input_seen);
    EXPECT_EQ(input.keys, nullptr);
}

TEST_F(EventPump, KeyDownTakesTheKeyStateArray) {
    push(SDL_KEYDOWN);
    pump_events(input);
    EXPECT_TRUE(input.input_seen);
    EXPECT_EQ(input.keys, SDL_GetKeyState(nullptr));
}

TEST_F(EventPump, QuitMarksInputButLeavesTheKeysUnknown) {
    push(SDL_QUIT);
    pump_events(input);
    EXPECT_TRUE(input.input_seen);
    EXPECT_EQ(input.keys, nullptr);
}

TEST_F(EventPump, DrainsTheWholeQueueAndNeverForgetsInput) {
    push(SDL_MOUSEMOTION);
    push(SDL_KEYDOWN);
    push(SDL_KEYUP);
    pump_events(input);
    SDL_Event left_over;
    EXPECT_EQ(SDL_PollEvent(&left_over), 0);
    EXPECT_TRUE(input.input_seen);

    push(SDL_KEYUP);
    pump_events(input);
    EXPECT_TRUE(input.input_seen);
}

TEST_F(EventPump, ReturnsAtOnceOnAnEmptyQueue) {
    pump_events(input);
    EXPECT_FALSE(input.input_seen);
}

} // namespace
