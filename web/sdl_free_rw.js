// SDL_FreeRW: a freed stream must not give its number 0 to the next stream.
//
// Emscripten's SDL (library_sdl.js) numbers streams by their place in the array SDL.rwops, whose
// first place holds a null so that no stream is numbered 0, the number SDL_RWFromConstMem
// returns for failure. Its SDL_FreeRW drops empty places from the end of the array, that first
// one included: after the program's first picture was read and its stream freed, the next
// stream was numbered 0, so the program took it for a failure and the second picture went
// missing. This SDL_FreeRW keeps the first place.
mergeInto(LibraryManager.library, {
  SDL_FreeRW: function(rwopsID) {
    SDL.rwops[rwopsID] = null;
    while (SDL.rwops.length > 1 && SDL.rwops[SDL.rwops.length - 1] === null) {
      SDL.rwops.pop();
    }
  },
});
