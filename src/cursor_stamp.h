#pragma once

#include <array>

// The pen's mark: a cross with arms four pixels long, a white centre and the four diagonal
// neighbours filled, 21 pixels in all. Plain data, so that the drawing code and the tests read
// the same shape.
struct StampPixel {
    int dx;
    int dy;
    bool is_core;
};

constexpr std::array<StampPixel, 21> cursor_stamp{{
    {0, 0, true},
    // right arm, left arm, lower arm, upper arm, each from the centre outwards
    {1, 0, false},
    {2, 0, false},
    {3, 0, false},
    {4, 0, false},
    {-1, 0, false},
    {-2, 0, false},
    {-3, 0, false},
    {-4, 0, false},
    {0, 1, false},
    {0, 2, false},
    {0, 3, false},
    {0, 4, false},
    {0, -1, false},
    {0, -2, false},
    {0, -3, false},
    {0, -4, false},
    // diagonal neighbours
    {1, 1, false},
    {-1, -1, false},
    {1, -1, false},
    {-1, 1, false},
}};

// How far the stamp reaches from its centre in any direction.
constexpr int cursor_stamp_reach = 4;
