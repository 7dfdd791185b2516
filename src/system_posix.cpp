#include "system.h"

#include <cerrno>
#include <cstdlib>

#include <SDL.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "video_driver.h"

namespace {

// The picture buffer asks the kernel to back its pages with 2 MB pages where it can: mapping
// fresh memory 4 KB at a time costs as much as decoding the pictures on some machines, and
// start-up should not pay for it twice per file.
constexpr std::size_t huge_page_bytes = std::size_t{2} << 20;

// Reads until end of file into [bytes, bytes + capacity). A file that fills the room is read
// one byte further, so that one which grew after fstat is still caught as too long.
bool read_bounded(int descriptor, std::uint8_t* bytes, std::size_t capacity, std::size_t& size) {
    std::size_t length = 0;
    for (;;) {
        std::uint8_t probe = 0;
        std::uint8_t* const into = length < capacity ? bytes + length : &probe;
        const std::size_t room = length < capacity ? capacity - length : 1;
        const ssize_t got = read(descriptor, into, room);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 || (got > 0 && length == capacity)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        length += static_cast<std::size_t>(got);
    }
    size = length;
    return true;
}

} // namespace

PictureBuffer::PictureBuffer(std::size_t capacity) {
    // One huge page extra, so that the buffer can start on a huge-page boundary.
    const std::size_t mapping_bytes = capacity + huge_page_bytes;
    void* const mapping = mmap(nullptr, mapping_bytes, PROT_READ | PROT_WRITE,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapping == MAP_FAILED) {
        return;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = (address + huge_page_bytes - 1) & ~(huge_page_bytes - 1);
    // Only advice: without huge pages the buffer works the same, a little slower to fill.
    madvise(reinterpret_cast<void*>(aligned), capacity, MADV_HUGEPAGE);
    mapping_ = mapping;
    mapping_bytes_ = mapping_bytes;
    start_ = reinterpret_cast<std::uint8_t*>(aligned);
    capacity_ = capacity;
}

PictureBuffer::~PictureBuffer() {
    if (mapping_ != nullptr) {
        munmap(mapping_, mapping_bytes_);
    }
}

bool read_picture_file(const char* file_name, const PictureBuffer& buffer, std::size_t& size) {
    size = 0;
    if (!buffer.usable()) {
        return false;
    }
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const int descriptor = open(file_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        return false;
    }
    // What counts is what was opened, not what the name pointed at a moment before.
    struct stat status {};
    bool ok = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
              static_cast<unsigned long long>(status.st_size) <= buffer.capacity();
    if (ok) {
        ok = read_bounded(descriptor, buffer.bytes(), buffer.capacity(), size);
    }
    close(descriptor);
    if (!ok) {
        size = 0;
    }
    return ok;
}

PictureReader picture_reader() {
    return PictureReader::sdl;
}

// A handler would need a global flag, and SDL turns the signal into a quit request that the
// drawing loop ignores; so instead SIGTERM is blocked before SDL starts any thread, stays
// pending, and the program looks for it once per pass.
void hold_termination_requests() {
    struct sigaction current {};
    if (sigaction(SIGTERM, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
        // Blocked signals are never discarded, even ignored ones: blocking would undo the
        // parent's choice.
        return;
    }
    sigset_t termination;
    sigemptyset(&termination);
    sigaddset(&termination, SIGTERM);
    sigprocmask(SIG_BLOCK, &termination, nullptr);
}

bool termination_requested() {
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) != 0) {
        return false;
    }
    return sigismember(&pending, SIGTERM) == 1;
}

// Starts SDL's video on the driver named, or else only on a driver of a display that the
// environment points at (see video_driver.h).
bool start_video() {
    if (is_set(std::getenv("SDL_VIDEODRIVER"))) {
        return SDL_Init(SDL_INIT_VIDEO) >= 0;
    }
    for (const char* driver :
         display_drivers(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        setenv("SDL_VIDEODRIVER", driver, 1);
        if (SDL_Init(SDL_INIT_VIDEO) >= 0) {
            return true;
        }
    }
    return false;
}

void yield_to_browser() {}
