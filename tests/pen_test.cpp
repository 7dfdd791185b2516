#include "pen.h"

#include <array>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Position = std::pair<int, int>;

struct HeldKeys {
    std::array<Uint8, SDLK_LAST> state{};
    HeldKeys() = default;
    HeldKeys(std::initializer_list<SDLKey> held) {
        for (const SDLKey key : held) {
            state[key] = 1;
        }
    }
};

// One pass as the drawing loop makes it, clamp then keys, recording where the stamps land.
bool pass(const HeldKeys& keys, int& x, int& y, std::vector<Position>& stamps) {
    clamp_cursor(x, y);
    return move_pen(keys.state.data(), x, y, [&](int sx, int sy) { stamps.emplace_back(sx, sy); });
}

TEST(StepFunctions, CodesMoveOnePixelInTheirDirection) {
    EXPECT_EQ(step_x(1, 500), 499);
    EXPECT_EQ(step_x(2, 500), 501);
    EXPECT_EQ(step_y(1, 500), 501);
    EXPECT_EQ(step_y(2, 500), 499);
}

struct LimitCase {
    const char* name;
    HeldKeys keys;
    int start_x;
    int start_y;
    std::vector<Position> stamps_per_pass; // the stamps of every pass once the pen is stopped
};

TEST(PenLimits, HeldKeyKeepsStampingJustPastTheLimit) {
    const LimitCase cases[] = {
        {"right", {SDLK_RIGHT}, 1125, 400, {{1130, 400}}},
        {"left", {SDLK_LEFT}, 193, 400, {{188, 400}}},
        {"down", {SDLK_DOWN}, 600, 798, {{600, 803}}},
        {"space", {SDLK_SPACE}, 600, 798, {{600, 803}}},
        {"up", {SDLK_UP}, 600, 210, {{600, 205}}},
        {"space and down", {SDLK_SPACE, SDLK_DOWN}, 600, 790, {{600, 803}, {600, 804}}},
        {"down and right in the corner",
         {SDLK_DOWN, SDLK_RIGHT},
         1120,
         795,
         {{1129, 803}, {1130, 803}}},
    };
    for (const LimitCase& limit : cases) {
        SCOPED_TRACE(limit.name);
        const HeldKeys& keys = limit.keys;
        int x = limit.start_x;
        int y = limit.start_y;
        std::vector<Position> stamps;
        for (int i = 0; i < 30; ++i) {
            pass(keys, x, y, stamps);
        }
        // Once stopped, the last passes all stamp at the same places.
        for (int i = 0; i < 3; ++i) {
            stamps.clear();
            pass(keys, x, y, stamps);
            EXPECT_EQ(stamps, limit.stamps_per_pass);
        }
    }
}

TEST(PenLimits, ClampPullsBackOnlyWhatCrossedALimit) {
    const struct {
        Position before;
        Position after;
    } cases[] = {
        {{1130, 205}, {1129, 206}}, {{188, 804}, {189, 802}}, {{189, 802}, {189, 802}},
        {{1129, 206}, {1129, 206}}, {{600, 500}, {600, 500}},
    };
    for (const auto& clamp : cases) {
        auto [x, y] = clamp.before;
        clamp_cursor(x, y);
        EXPECT_EQ(Position(x, y), clamp.after)
            << "from " << clamp.before.first << "," << clamp.before.second;
    }
}

TEST(PenKeyOrder, VerticalStepsComeBeforeHorizontalOnes) {
    const struct {
        const char* name;
        HeldKeys keys;
        std::vector<Position> stamps;
        Position end;
    } cases[] = {
        {"down and right", {SDLK_DOWN, SDLK_RIGHT}, {{500, 501}, {501, 501}}, {501, 501}},
        {"up and left", {SDLK_UP, SDLK_LEFT}, {{500, 499}, {499, 499}}, {499, 499}},
        {"up and down", {SDLK_UP, SDLK_DOWN}, {{500, 501}, {500, 500}}, {500, 500}},
        {"left and right", {SDLK_LEFT, SDLK_RIGHT}, {{499, 500}, {500, 500}}, {500, 500}},
        {"space then down", {SDLK_SPACE, SDLK_DOWN}, {{500, 501}, {500, 502}}, {500, 502}},
        {"every movement key",
         {SDLK_SPACE, SDLK_DOWN, SDLK_UP, SDLK_LEFT, SDLK_RIGHT},
         {{500, 501}, {500, 502}, {500, 501}, {499, 501}, {500, 501}},
         {500, 501}},
    };
    for (const auto& order : cases) {
        SCOPED_TRACE(order.name);
        int x = 500;
        int y = 500;
        std::vector<Position> stamps;
        EXPECT_TRUE(pass(order.keys, x, y, stamps));
        EXPECT_EQ(stamps, order.stamps);
        EXPECT_EQ(Position(x, y), order.end);
    }
}

TEST(PenKeys, NothingHeldOrNoKeyboardYetDrawsNothing) {
    int x = cursor_start_x;
    int y = cursor_start_y;
    std::vector<Position> stamps;
    EXPECT_TRUE(pass(HeldKeys{}, x, y, stamps));
    EXPECT_TRUE(move_pen(nullptr, x, y, [&](int sx, int sy) { stamps.emplace_back(sx, sy); }));
    EXPECT_TRUE(stamps.empty());
    EXPECT_EQ(Position(x, y), Position(300, 300));
}

TEST(PenKeys, OtherKeysDoNotMoveThePen) {
    int x = 500;
    int y = 500;
    std::vector<Position> stamps;
    EXPECT_TRUE(pass(HeldKeys{SDLK_a, SDLK_RETURN, SDLK_KP2, SDLK_ESCAPE}, x, y, stamps));
    EXPECT_TRUE(stamps.empty());
}

TEST(PenKeys, QEndsTheLoopAfterThatPassesMoves) {
    int x = 500;
    int y = 500;
    std::vector<Position> stamps;
    EXPECT_FALSE(pass(HeldKeys{SDLK_q, SDLK_RIGHT}, x, y, stamps));
    EXPECT_EQ(stamps, (std::vector<Position>{{501, 500}}));
    EXPECT_FALSE(pass(HeldKeys{SDLK_q}, x, y, stamps));
}

} // namespace
