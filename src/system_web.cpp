#include "system.h"

#include <cstdlib>

#include <SDL.h>
#include <emscripten.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The browser: the page fetches the picture files and puts them in the program's in-memory file
// system before the program starts (web/index.html), SDL is emscripten's, drawing on the page's
// canvas, and the program shares the page's one thread with the browser.

// The memory is the program's own heap, which grows as asked: there are no pages to map and
// advise, and only the bytes a file fills are ever written.
PictureBuffer::PictureBuffer(std::size_t capacity) {
    void* const memory = std::malloc(capacity);
    if (memory == nullptr) {
        return;
    }
    mapping_ = memory;
    mapping_bytes_ = capacity;
    start_ = static_cast<std::uint8_t*>(memory);
    capacity_ = capacity;
}

PictureBuffer::~PictureBuffer() {
    std::free(mapping_);
}

// The files are the page's, in memory: none is a device or grows while it is read, so a file is
// read whole if its size fits.
bool read_picture_file(const char* file_name, const PictureBuffer& buffer, std::size_t& size) {
    size = 0;
    if (!buffer.usable()) {
        return false;
    }
    const int descriptor = open(file_name, O_RDONLY);
    if (descriptor < 0) {
        return false;
    }
    struct stat status {};
    bool ok = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
              static_cast<unsigned long long>(status.st_size) <= buffer.capacity();
    const std::size_t length = ok ? static_cast<std::size_t>(status.st_size) : 0;
    std::size_t got = 0;
    while (ok && got < length) {
        const ssize_t part = read(descriptor, buffer.bytes() + got, length - got);
        ok = part > 0;
        got += ok ? static_cast<std::size_t>(part) : 0;
    }
    close(descriptor);
    if (ok) {
        size = length;
    }
    return ok;
}

// Emscripten's SDL decodes pictures with stb_image.
PictureReader picture_reader() {
    return PictureReader::stb_image;
}

// A page has no SIGTERM: closing the tab or going elsewhere simply ends it.
void hold_termination_requests() {}

bool termination_requested() {
    return false;
}

namespace {

// Tells the page that keys reach the program now (it shows data-state "running").
EM_JS(void, tell_page_keys_are_heard, (), {
    if (Module['onListening']) {
        Module['onListening']();
    }
});

} // namespace

// SDL_Init puts SDL's key listeners on the page: from then on keys reach the program.
bool start_video() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        return false;
    }
    tell_page_keys_are_heard();
    return true;
}

// The browser's own timer brings the program back: at the earliest a few milliseconds later,
// once the browser has handled its events and drawn a frame if one is due. The program itself
// is suspended and resumed around the call (ASYNCIFY), so the loops keep their shape.
void yield_to_browser() {
    emscripten_sleep(0);
}
