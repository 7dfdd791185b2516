#pragma once

#include <cstdint>
#include <vector>

// Reads a whole picture file into memory, so that what is checked is exactly what SDL is then
// given: nothing can change the file in between. Only a regular file of at most max_bytes is
// read; a FIFO, a device or a directory is refused without waiting on it. Returns false when the
// file is missing, not a regular file, unreadable or too long.
bool read_picture_file(const char* file_name, std::size_t max_bytes,
                       std::vector<std::uint8_t>& bytes);
