#include "video_driver.h"

bool is_set(const char* value) {
    return value != nullptr && value[0] != '\0';
}

std::vector<const char*> display_drivers(const char* x11_display, const char* wayland_display) {
    std::vector<const char*> drivers;
    if (is_set(x11_display)) {
        drivers.push_back("x11");
    }
    if (is_set(wayland_display)) {
        drivers.push_back("wayland");
    }
    return drivers;
}
