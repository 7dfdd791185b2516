#include "bmp_test_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

} // namespace

std::vector<std::uint8_t> make_bmp(const BmpLayout& layout) {
    std::vector<std::uint8_t> info;
    put32(info, layout.header_size);
    if (layout.header_size == 12) {
        put16(info, static_cast<std::uint32_t>(layout.width));
        put16(info, static_cast<std::uint32_t>(layout.height));
        put16(info, 1);
        put16(info, layout.bits);
    } else {
        put32(info, static_cast<std::uint32_t>(layout.width));
        put32(info, static_cast<std::uint32_t>(layout.height));
        put16(info, 1);
        put16(info, layout.bits);
        put32(info, layout.compression);
        put32(info, 0);
        put32(info, 2835);
        put32(info, 2835);
        put32(info, layout.colours);
        put32(info, 0);
        for (const std::uint32_t mask : layout.masks) {
            put32(info, mask);
        }
        if (info.size() < layout.header_size) {
            info.resize(layout.header_size);
        }
    }
    const std::uint32_t entry_bytes = layout.header_size == 12 ? 3 : 4;
    for (std::uint32_t i = 0; i < layout.palette_entries; ++i) {
        const std::uint8_t entry[] = {static_cast<std::uint8_t>(i * 40),
                                      static_cast<std::uint8_t>(255 - i), 0x80, 0};
        info.insert(info.end(), entry, entry + entry_bytes);
    }

    const std::int64_t width = layout.width < 0 ? 0 : layout.width;
    const std::int64_t row_bytes = (width * layout.bits + 31) / 32 * 4;
    const std::int64_t rows = layout.stored_rows >= 0 ? layout.stored_rows
                              : layout.height < 0     ? -std::int64_t{layout.height}
                                                      : layout.height;
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size());
    const std::int64_t data_bytes = row_bytes * rows;

    std::vector<std::uint8_t> out{'B', 'M'};
    put32(out, static_cast<std::uint32_t>(offset + data_bytes));
    put32(out, 0);
    put32(out, offset);
    out.insert(out.end(), info.begin(), info.end());
    out.resize(out.size() + static_cast<std::size_t>(data_bytes), layout.pixel_byte);
    return out;
}

std::uint32_t pixel_offset_of(const std::vector<std::uint8_t>& bmp) {
    return static_cast<std::uint32_t>(bmp[10] | bmp[11] << 8 | bmp[12] << 16 | bmp[13] << 24);
}

std::string write_temporary_file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    // A folder of its own, so that the file can carry a picture's name.
    std::random_device random;
    std::filesystem::path folder;
    do {
        folder = std::filesystem::temp_directory_path() /
                 ("sketchboard-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(folder));
    const std::string path = (folder / name).string();
    std::FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

void remove_temporary_file(const std::string& path) {
    std::remove(path.c_str());
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(path).parent_path(), ignored);
}
