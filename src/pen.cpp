#include "pen.h"

int step_x(int code, int x) {
    return code == step_left ? x - 1 : x + 1;
}

int step_y(int code, int y) {
    return code == step_down ? y + 1 : y - 1;
}

void clamp_cursor(int& cursor_x, int& cursor_y) {
    if (cursor_x > cursor_max_x) {
        cursor_x = cursor_max_x;
    }
    if (cursor_x < cursor_min_x) {
        cursor_x = cursor_min_x;
    }
    if (cursor_y > cursor_max_y) {
        cursor_y = cursor_max_y;
    }
    if (cursor_y < cursor_min_y) {
        cursor_y = cursor_min_y;
    }
}
