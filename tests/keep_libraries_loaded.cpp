// Preloaded into the program by the end-to-end tests under the sanitizers: every shared library
// stays loaded until the process ends. SDL2 unloads Mesa's OpenGL driver in SDL_Quit; what the
// driver still held then looks leaked, allocated from a library that LeakSanitizer can no
// longer name, so that not even a suppression of Mesa's own leaks by its name could find it.
extern "C" int dlclose(void* /*library*/) {
    return 0;
}
