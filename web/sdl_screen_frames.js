// The screen: put on the canvas once per browser frame, instead of copied whole at every lock.
//
// Emscripten's SDL (library_sdl.js) keeps the screen's pixels on the page's canvas and lends the
// program a copy in its memory while the screen is locked: SDL_LockSurface reads the whole
// canvas into memory (getImageData, 5 MB) and SDL_UnlockSurface puts all of it back
// (putImageData). The program locks the screen for every stamp of the pen, so each one-pixel
// step cost about 10 ms, and the pen crawled at 60 to 80 steps a second.
//
// Here the copy in the program's memory is the screen. A lock reads the canvas only when a blit,
// which draws on the canvas itself, has changed it since. An unlock puts the copy on the canvas
// at the next frame, once however many stamps came in between; but at once after a pause, so
// that a lone change (the title's white fill, the first step of the pen) is on the canvas before
// the program next lets the browser run. A blit puts the copy there first, so that it
// draws over all the program drew, and so does the way out, so that the canvas keeps the last
// frame. The pixels shown are the same, a frame later at most.
//
// This relies on library_sdl.js's internals as of emscripten 3.1.6 (SDL.surfaces, SDL.screen,
// SDL.blitSurface and the stock lock and unlock): check it again when emscripten changes.
mergeInto(LibraryManager.library, {
  $stockLockSurface: LibraryManager.library.SDL_LockSurface,
  $stockUnlockSurface: LibraryManager.library.SDL_UnlockSurface,

  $screenFrames__deps: ['$SDL'],
  $screenFrames: {
    pauseMilliseconds: 100,
    frameAsked: false,
    lastShown: -Infinity,
    image: null,

    // Copies the canvas into the program's memory, every pixel opaque as on the desktop.
    readCanvas: function(screen) {
      var image = screen.ctx.getImageData(0, 0, screen.width, screen.height);
      var pixels = new Uint32Array(image.data.buffer);
      for (var i = 0; i < pixels.length; i++) {
        pixels[i] |= 0xff000000;
      }
      HEAPU32.set(pixels, screen.buffer >> 2);
      screen.canvasIsNewer = false;
    },

    present: function() {
      screenFrames.frameAsked = false;
      var screen = SDL.screen && SDL.surfaces[SDL.screen];
      if (!screen || !screen.copyIsNewer) {
        return;
      }
      if (!screenFrames.image) {
        screenFrames.image = screen.ctx.createImageData(screen.width, screen.height);
      }
      var start = screen.buffer >> 2;
      var pixels = new Uint32Array(screenFrames.image.data.buffer);
      pixels.set(HEAPU32.subarray(start, start + pixels.length));
      screen.ctx.putImageData(screenFrames.image, 0, 0);
      screen.copyIsNewer = false;
      screenFrames.lastShown = performance.now();
    },

    askForFrame: function() {
      if (performance.now() - screenFrames.lastShown >= screenFrames.pauseMilliseconds) {
        screenFrames.present();
      } else if (!screenFrames.frameAsked) {
        screenFrames.frameAsked = true;
        requestAnimationFrame(screenFrames.present);
      }
    },

    install: function() {
      var stockBlit = SDL.blitSurface;
      SDL.blitSurface = function(src, srcrect, dst, dstrect, scale) {
        var toScreen = dst == SDL.screen;
        if (toScreen) {
          screenFrames.present();
        }
        var result = stockBlit(src, srcrect, dst, dstrect, scale);
        if (toScreen) {
          SDL.surfaces[dst].canvasIsNewer = true;
        }
        return result;
      };
      addOnExit(screenFrames.present);
    },
  },

  SDL_LockSurface__deps: ['$SDL', '$screenFrames', '$stockLockSurface'],
  SDL_LockSurface__postset: 'screenFrames.install();',
  SDL_LockSurface: function(surf) {
    if (surf != SDL.screen) {
      return stockLockSurface(surf);
    }
    var screen = SDL.surfaces[surf];
    if (++screen.locked > 1) {
      return 0;
    }
    if (!screen.buffer) {
      // A new screen's canvas is blank, which reads as opaque black, unless a blit drew on it.
      var start = _malloc(screen.width * screen.height * 4);
      HEAPU32.fill(0xff000000, start >> 2, (start >> 2) + screen.width * screen.height);
      screen.buffer = start;
      {{{ makeSetValue('surf', C_STRUCTS.SDL_Surface.pixels, 'screen.buffer', 'void*') }}};
    }
    if (screen.canvasIsNewer) {
      screenFrames.readCanvas(screen);
    }
    return 0;
  },

  SDL_UnlockSurface__deps: ['$SDL', '$screenFrames', '$stockUnlockSurface'],
  SDL_UnlockSurface: function(surf) {
    if (surf != SDL.screen) {
      stockUnlockSurface(surf);
      return;
    }
    var screen = SDL.surfaces[surf];
    if (!screen.locked || --screen.locked > 0) {
      return;
    }
    screen.copyIsNewer = true;
    screenFrames.askForFrame();
  },
});
