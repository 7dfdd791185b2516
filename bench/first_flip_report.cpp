// Preloaded by screen_probe into the program it measures: when the program's first SDL_Flip has
// returned, writes the monotonic clock and the process's CPU time (both in nanoseconds) to the
// file descriptor named by SCREEN_PROBE_FLIP_FD. That is when the first frame was handed over,
// seen from inside the program, whatever the probe's own delay in seeing it on the screen.

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <SDL.h>
#include <dlfcn.h>
#include <unistd.h>

namespace {

long long nanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void report(long long wall, long long cpu) {
    const char* descriptor = std::getenv("SCREEN_PROBE_FLIP_FD");
    if (descriptor == nullptr) {
        return;
    }
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%lld %lld\n", wall, cpu);
    if (length > 0 && write(std::atoi(descriptor), line, static_cast<size_t>(length)) < 0) {
        return;
    }
}

} // namespace

extern "C" int SDL_Flip(SDL_Surface* screen) {
    using Flip = int (*)(SDL_Surface*);
    // An interposed function has nowhere else to keep what it must remember between calls.
    static const auto real_flip = reinterpret_cast<Flip>(dlsym(RTLD_NEXT, "SDL_Flip"));
    static bool reported = false;
    const int result = real_flip(screen);
    if (!reported) {
        reported = true;
        report(nanoseconds(CLOCK_MONOTONIC), nanoseconds(CLOCK_PROCESS_CPUTIME_ID));
    }
    return result;
}
