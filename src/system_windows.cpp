#include "system.h"

#include <algorithm>

#include <SDL.h>
#include <windows.h>

namespace {

// One ReadFile asks for at most this much: its count is 32 bits wide.
constexpr std::size_t largest_read = std::size_t{1} << 30;

// Reads until end of file into [bytes, bytes + capacity), expecting expected bytes. ReadFile
// touches every page it is offered (under Wine at least), so it is offered only what the file
// should hold and one byte more, which shows that the file ends there; a file that grew since
// its size was taken is read on into the rest of the room, and one byte past a full room means
// it is too long.
bool read_bounded(HANDLE file, std::uint8_t* bytes, std::size_t capacity, std::size_t expected,
                  std::size_t& size) {
    std::size_t length = 0;
    for (;;) {
        std::uint8_t probe = 0;
        const bool room_left = length < capacity;
        const std::size_t wanted = length <= expected ? expected + 1 - length : capacity - length;
        const std::size_t room =
            room_left ? std::min({capacity - length, wanted, largest_read}) : 1;
        DWORD got = 0;
        if (ReadFile(file, room_left ? bytes + length : &probe, static_cast<DWORD>(room), &got,
                     nullptr) == 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        if (!room_left) {
            return false;
        }
        length += got;
    }
    size = length;
    return true;
}

} // namespace

PictureBuffer::PictureBuffer(std::size_t capacity) {
    // Committed memory is still only given pages as they are first written.
    void* const mapping = VirtualAlloc(nullptr, capacity, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (mapping == nullptr) {
        return;
    }
    mapping_ = mapping;
    mapping_bytes_ = capacity;
    start_ = static_cast<std::uint8_t*>(mapping);
    capacity_ = capacity;
}

PictureBuffer::~PictureBuffer() {
    if (mapping_ != nullptr) {
        VirtualFree(mapping_, 0, MEM_RELEASE);
    }
}

bool read_picture_file(const char* file_name, const PictureBuffer& buffer, std::size_t& size) {
    size = 0;
    if (!buffer.usable()) {
        return false;
    }
    // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS.
    const HANDLE file = CreateFileA(file_name, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // What counts is what was opened: NUL, a console or a pipe under the name would be read
    // from or waited on, so only a file on a disk is read.
    LARGE_INTEGER file_size{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &file_size) != 0 &&
              file_size.QuadPart >= 0 &&
              static_cast<unsigned long long>(file_size.QuadPart) <= buffer.capacity();
    if (ok) {
        ok = read_bounded(file, buffer.bytes(), buffer.capacity(),
                          static_cast<std::size_t>(file_size.QuadPart), size);
    }
    CloseHandle(file);
    if (!ok) {
        size = 0;
    }
    return ok;
}

PictureReader picture_reader() {
    return PictureReader::sdl;
}

// Windows has no SIGTERM. Closing the window or `taskkill` without /F arrives as SDL's quit
// request, which keeps the meaning it has everywhere: it ends the title wait and is ignored while
// drawing.
void hold_termination_requests() {}

bool termination_requested() {
    return false;
}

// SDL's own choice of driver stands: Windows always has a display for it, and a driver named in
// SDL_VIDEODRIVER that does not exist still fails.
bool start_video() {
    return SDL_Init(SDL_INIT_VIDEO) >= 0;
}

void yield_to_browser() {}
