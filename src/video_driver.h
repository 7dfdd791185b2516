#pragma once

#include <vector>

// With no video driver named, SDL tries its drivers in turn and takes the first that starts.
// With no display to open, that is one that shows nothing on any screen: compat's "offscreen",
// where the program would run on invisibly, or classic's text-mode ones, which write escape
// codes to the terminal as they start. So when no driver is named the program names the
// drivers of the displays its environment points at, and with none of them (or none that
// starts) it ends with status 1, as when video cannot be had. A driver named in SDL_VIDEODRIVER
// is always left to SDL: the tests name "dummy", and on a Linux console without X or Wayland
// the user names "fbcon" (classic) or "kmsdrm" (compat).

// The drivers to try, in order, given DISPLAY and WAYLAND_DISPLAY (null when unset): X11 first,
// as SDL itself prefers it.
std::vector<const char*> display_drivers(const char* x11_display, const char* wayland_display);

// Whether an environment variable's value counts as set: present and not empty.
bool is_set(const char* value);
