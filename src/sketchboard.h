#pragma once

// The program itself, called by the process entry with SDL_Quit already registered to run at
// exit. Returns the exit status: 0 after q, 1 when the video subsystem or the full-screen mode
// cannot be had.
int run_sketchboard(int argc, char** argv);
