#include "video_driver.h"

#include <cstring>

namespace {

bool is_set(const char* value) {
    return value != nullptr && value[0] != '\0';
}

} // namespace

bool may_start_video(const char* named_driver, const char* x11_display,
                     const char* wayland_display) {
    return is_set(named_driver) || is_set(x11_display) || is_set(wayland_display);
}

bool shows_on_a_screen(const char* picked_driver) {
    // SDL's fallbacks when every real display failed: nothing reaches a screen through them.
    constexpr const char* invisible[] = {"offscreen", "dummy", "caca", "aalib"};
    for (const char* name : invisible) {
        if (std::strcmp(picked_driver, name) == 0) {
            return false;
        }
    }
    return true;
}
