#pragma once

// When no video driver is named, SDL picks the first one that starts. With no display to open,
// that is a driver that shows nothing on any screen: compat's "offscreen", where the program
// would run on invisibly, or classic's text-mode ones, which write escape codes to the terminal
// while they start. The program ends with status 1 instead, as when video cannot be had. A
// driver named in SDL_VIDEODRIVER is always left to SDL: the tests name "dummy", and on a
// Linux console without X or Wayland the user names "fbcon" (classic) or "kmsdrm" (compat).

// Whether SDL_Init may even be tried, from the values of SDL_VIDEODRIVER, DISPLAY and
// WAYLAND_DISPLAY (null when unset). Decided before SDL_Init because classic's text-mode
// drivers print as they start.
bool may_start_video(const char* named_driver, const char* x11_display,
                     const char* wayland_display);

// Whether the driver SDL picked by itself shows a picture on a screen.
bool shows_on_a_screen(const char* picked_driver);
