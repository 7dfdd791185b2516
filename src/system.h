#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

#include "bmp_check.h"

// What the operating system provides: reading a picture file without waiting on a device,
// the reader its SDL decodes pictures with, noticing a request to terminate, starting SDL's
// video, and letting the browser run. Everything above these functions is the same source on
// every system; each system has its own file implementing them (system_posix.cpp,
// system_windows.cpp, system_web.cpp), and the build picks the one for its target.

// Room to read picture files into, one at a time, reused from one file to the next. The memory
// is reserved up front for the largest file accepted, but only the pages a file fills are ever
// used, so reading five small pictures costs about what they hold.
class PictureBuffer {
  public:
    explicit PictureBuffer(std::size_t capacity);
    ~PictureBuffer();
    PictureBuffer(const PictureBuffer&) = delete;
    PictureBuffer& operator=(const PictureBuffer&) = delete;

    // False when the memory could not be reserved; nothing can be read then.
    bool usable() const { return start_ != nullptr; }
    std::uint8_t* bytes() const { return start_; }
    std::size_t capacity() const { return capacity_; }

  private:
    std::uint8_t* start_ = nullptr;
    std::size_t capacity_ = 0;
    void* mapping_ = nullptr;
    std::size_t mapping_bytes_ = 0;
};

// Reads a whole picture file into the buffer, so that what is checked is exactly what SDL is
// then given: nothing can change the file in between. Only a regular file that fits the buffer
// is read; a FIFO, a device or a directory is refused without waiting on it. Returns false when
// the file is missing, not a regular file, unreadable or too long; otherwise the file's length
// is in size.
bool read_picture_file(const char* file_name, const PictureBuffer& buffer, std::size_t& size);

// The code this system's SDL decodes BMP files with, for check_bmp.
PictureReader picture_reader();

// A request to terminate (SIGTERM, where the system has one) must end the program through its
// normal way out, so that SDL_Quit (registered at exit) gives the desktop its display mode back.
// The program looks for one once per pass of its loops.

// The exit status after a SIGTERM, as a shell reports a process the signal ended.
constexpr int terminated_status = 128 + SIGTERM;

// Makes requests to terminate wait until the program looks for them. Call before SDL_Init, so
// that the threads SDL starts are covered too.
void hold_termination_requests();

// True once a request to terminate has arrived; every later call is true as well.
bool termination_requested();

// Starts SDL's video subsystem; false when no video can be had, which ends the program with
// status 1.
bool start_video();

// The program's loops never sleep. In a browser page the program runs on the page's only thread,
// so each pass of the title wait and of the drawing loop hands that thread back to the browser
// once: it draws the page, delivers keys and stays responsive. Elsewhere the system schedules
// the program beside everything else, and this does nothing.
void yield_to_browser();
