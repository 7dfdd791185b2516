#pragma once

#include <cstddef>
#include <cstdint>

// Room to read picture files into, one at a time, reused from one file to the next. The memory
// is reserved up front but only the pages a file fills are ever used, and the kernel is asked to
// back them with 2 MB pages where it can: mapping fresh memory 4 KB at a time costs as much as
// decoding the pictures on some machines, and start-up should not pay for it twice per file.
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
