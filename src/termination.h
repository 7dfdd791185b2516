#pragma once

#include <csignal>

// SIGTERM must end the program through its normal way out, so that SDL_Quit (registered at exit)
// gives the desktop its display mode back. A handler would need a global flag, and SDL turns the
// signal into a quit request that the drawing loop ignores; so instead the signal is blocked
// before SDL starts any thread, stays pending, and the program looks for it once per pass.

// The exit status after a SIGTERM, as a shell reports a process the signal ended.
constexpr int terminated_status = 128 + SIGTERM;

// Blocks SIGTERM for this thread and every thread started later (SDL's among them). Call before
// SDL_Init. A SIGTERM that the parent chose to ignore stays ignored.
void hold_termination_requests();

// True once a SIGTERM has arrived and is waiting. It stays pending, so every later call is true.
bool termination_requested();
