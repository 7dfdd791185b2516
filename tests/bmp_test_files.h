#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Hand-made BMP files for the tests: a description of the file, then its bytes. The setters
// return a changed copy, so that a case reads as one expression.
struct BmpSpec {
    BmpSpec(std::int32_t w, std::int32_t h, std::uint16_t b) : width(w), height(h), bits(b) {}

    std::int32_t width;
    std::int32_t height;
    std::uint16_t bits;
    std::uint32_t compression = 0;
    std::uint32_t header_size = 40;
    std::uint32_t colours = 0;         // the header's count of colours used
    std::uint32_t palette_entries = 0; // entries actually written
    std::vector<std::uint32_t> masks;  // after a 40-byte header, inside a longer one
    int stored_rows = -1;              // rows of pixel data written; -1: as many as the height
    std::uint8_t pixel_byte = 0;       // every byte of the pixel data

    BmpSpec compressed(std::uint32_t v) const { return set(&BmpSpec::compression, v); }
    BmpSpec header(std::uint32_t v) const { return set(&BmpSpec::header_size, v); }
    BmpSpec used(std::uint32_t v) const { return set(&BmpSpec::colours, v); }
    BmpSpec palette(std::uint32_t v) const { return set(&BmpSpec::palette_entries, v); }
    BmpSpec bit_masks(std::vector<std::uint32_t> v) const { return set(&BmpSpec::masks, v); }
    BmpSpec rows(int v) const { return set(&BmpSpec::stored_rows, v); }
    BmpSpec filled(std::uint8_t v) const { return set(&BmpSpec::pixel_byte, v); }

  private:
    template <typename Field, typename Value> BmpSpec set(Field field, Value value) const {
        BmpSpec copy = *this;
        copy.*field = value;
        return copy;
    }
};

std::vector<std::uint8_t> make_bmp(const BmpSpec& spec);

// The offset of the pixel data, as written in the file header.
std::uint32_t pixel_offset_of(const std::vector<std::uint8_t>& bmp);

// Writes bytes to a new file in a fresh temporary folder and returns its path; the second
// removes that file (or FIFO) and its folder again.
std::string write_temporary_file(const std::string& name, const std::vector<std::uint8_t>& bytes);
void remove_temporary_file(const std::string& path);
