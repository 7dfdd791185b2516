// SDL_Quit: gives the page its keyboard back, silently.
//
// Emscripten's SDL (library_sdl.js) puts its key listeners on the document in SDL_Init; they
// cancel every key's default action, so that arrows do not scroll the page. Its SDL_Quit leaves
// them there and prints "SDL_Quit called (and ignored)" on the console: after the program
// ended, the page would stay deaf to the keyboard (F5, Tab, the arrows), and the program would
// have printed a line. This SDL_Quit removes the listeners SDL_Init added and prints nothing.
mergeInto(LibraryManager.library, {
  SDL_Quit__deps: ['SDL_AudioQuit'],
  SDL_Quit: function() {
    _SDL_AudioQuit();
    var keyboard = Module['keyboardListeningElement'] || document;
    ['keydown', 'keyup', 'keypress'].forEach(function(type) {
      keyboard.removeEventListener(type, SDL.receiveEvent);
    });
    window.removeEventListener('focus', SDL.receiveEvent);
    window.removeEventListener('blur', SDL.receiveEvent);
    document.removeEventListener('visibilitychange', SDL.receiveEvent);
  },
});
