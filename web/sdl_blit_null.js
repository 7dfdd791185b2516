// SDL_UpperBlit: a null source or destination is an error, returned as -1.
//
// SDL returns -1 for a blit from a null surface. Emscripten's SDL (library_sdl.js) looks the
// surface up and throws a TypeError instead, which ended the program in the middle of the title
// screen whenever a picture was missing: the program blits every picture, missing ones as null,
// and counts on nothing being drawn for them.
mergeInto(LibraryManager.library, {
  SDL_UpperBlit: function(src, srcrect, dst, dstrect) {
    if (!src || !dst) {
      return -1;
    }
    return SDL.blitSurface(src, srcrect, dst, dstrect, false);
  },
});
