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
// Only the rectangle that changed since the last frame is put on the canvas: the stamps' few
// pixels rather than all 5 MB, which cost 5 ms a frame in WebKitGTK. The page keeps what the
// canvas shows (what it last put there, or read from it after a blit) and compares the copy
// with it. And the canvas's context is made before SDL asks for it, as one that is read often:
// WebKitGTK otherwise spends some 20-40 ms of every frame in which the canvas changed at all,
// however little, which held the pen to 90-170 steps a second there.
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
    shown: null, // ImageData: what the canvas shows

    // Copies the canvas into the program's memory, every pixel opaque as on the desktop, and
    // keeps what it read as what the canvas shows.
    readCanvas: function(screen) {
      screenFrames.shown = screen.ctx.getImageData(0, 0, screen.width, screen.height);
      var pixels = new Uint32Array(screenFrames.shown.data.buffer);
      var copy = HEAPU32.subarray(screen.buffer >> 2, (screen.buffer >> 2) + pixels.length);
      for (var i = 0; i < pixels.length; i++) {
        copy[i] = pixels[i] | 0xff000000;
      }
      screen.canvasIsNewer = false;
    },

    present: function() {
      screenFrames.frameAsked = false;
      var screen = SDL.screen && SDL.surfaces[SDL.screen];
      if (!screen || !screen.copyIsNewer) {
        return;
      }
      screen.copyIsNewer = false;
      screenFrames.lastShown = performance.now();
      var width = screen.width;
      var height = screen.height;
      if (!screenFrames.shown) {
        screenFrames.shown = screen.ctx.createImageData(width, height); // blank, as the canvas
      }
      var shown = new Uint32Array(screenFrames.shown.data.buffer);
      var copy = HEAPU32.subarray(screen.buffer >> 2, (screen.buffer >> 2) + width * height);
      function rowChanged(y) {
        for (var i = y * width, end = i + width; i < end; i++) {
          if (copy[i] !== shown[i]) {
            return true;
          }
        }
        return false;
      }
      var top = 0;
      while (top < height && !rowChanged(top)) {
        top++;
      }
      if (top === height) {
        return;
      }
      var bottom = height - 1;
      while (!rowChanged(bottom)) {
        bottom--;
      }
      // The first row changed somewhere, so left <= right at the end.
      var left = width - 1;
      var right = 0;
      var y, x, row;
      for (y = top; y <= bottom; y++) {
        row = y * width;
        for (x = 0; x < left; x++) {
          if (copy[row + x] !== shown[row + x]) {
            left = x;
            break;
          }
        }
        for (x = width - 1; x > right; x--) {
          if (copy[row + x] !== shown[row + x]) {
            right = x;
            break;
          }
        }
      }
      for (y = top; y <= bottom; y++) {
        row = y * width;
        shown.set(copy.subarray(row + left, row + right + 1), row + left);
      }
      screen.ctx.putImageData(screenFrames.shown, 0, 0, left, top, right - left + 1,
                              bottom - top + 1);
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
      if (Module['canvas']) {
        Module['canvas'].getContext('2d', {willReadFrequently: true});
      }
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
