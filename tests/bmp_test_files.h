#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Hand-made BMP files for the tests: a description of the file, then its bytes. The setters
// return a changed copy, so that a case reads as one expression.
struct BmpLayout {
    BmpLayout(std::int32_t w, std::int32_t h, std::uint16_t b) : width(w), height(h), bits(b) {}

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

    BmpLayout compressed(std::uint32_t v) const { return set(&BmpLayout::compression, v); }
    BmpLayout header(std::uint32_t v) const { return set(&BmpLayout::header_size, v); }
    BmpLayout used(std::uint32_t v) const { return set(&BmpLayout::colours, v); }
    BmpLayout palette(std::uint32_t v) const { return set(&BmpLayout::palette_entries, v); }
    BmpLayout bit_masks(std::vector<std::uint32_t> v) const { return set(&BmpLayout::masks, v); }
    BmpLayout rows(int v) const { return set(&BmpLayout::stored_rows, v); }
    BmpLayout filled(std::uint8_t v) const { return set(&BmpLayout::pixel_byte, v); }

  private:
    template <typename Field, typename Value> BmpLayout set(Field field, Value value) const {
        BmpLayout copy = *this;
        copy.*field = value;
        return copy;
    }
};

std::vector<std::uint8_t> make_bmp(const BmpLayout& layout);

// The offset of the pixel data, as written in the file header.
std::uint32_t pixel_offset_of(const std::vector<std::uint8_t>& bmp);

// Writes bytes to a new file in a fresh temporary folder and returns its path; the second
// removes that file (or FIFO) and its folder again.
std::string write_temporary_file(const std::string& name, const std::vector<std::uint8_t>& bytes);
void remove_temporary_file(const std::string& path);
