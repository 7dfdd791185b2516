#include "picture_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads until end of file, but never more than limit + 1 bytes, so that a file that grows
// after fstat is still caught as too long.
bool read_bounded(int descriptor, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    std::size_t length = 0;
    for (;;) {
        if (length == bytes.size()) {
            if (length > limit) {
                return false;
            }
            // Into the room already reserved first: growing past it moves the whole file to a
            // new block, which costs a copy and as many fresh pages again.
            const std::size_t room = bytes.capacity() < limit + 1 ? bytes.capacity() : limit + 1;
            const std::size_t step = length + 65536 > limit + 1 ? limit + 1 : length + 65536;
            bytes.resize(room > length ? room : step);
        }
        const ssize_t got = read(descriptor, bytes.data() + length, bytes.size() - length);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        length += static_cast<std::size_t>(got);
    }
    bytes.resize(length);
    return length <= limit;
}

} // namespace

bool read_picture_file(const char* file_name, std::size_t max_bytes,
                       std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const int descriptor = open(file_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        return false;
    }
    // What counts is what was opened, not what the name pointed at a moment before.
    struct stat status {};
    bool ok = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
              static_cast<unsigned long long>(status.st_size) <= max_bytes;
    if (ok) {
        // One byte more than the file, so that the read which finds its end needs no more room.
        bytes.reserve(static_cast<std::size_t>(status.st_size) + 1);
        ok = read_bounded(descriptor, max_bytes, bytes);
    }
    close(descriptor);
    if (!ok) {
        bytes.clear();
    }
    return ok;
}
