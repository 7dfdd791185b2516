#include "bmp_check.h"

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bmp_test_files.h"
#include "pictures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Case {
    std::string name;
    Bytes bytes;
    BmpVerdict verdict;
};

BmpVerdict check(const Bytes& bytes, PictureReader reader = PictureReader::sdl) {
    return check_bmp(bytes.data(), bytes.size(), reader);
}

Bytes edited(Bytes bytes, std::size_t at, std::vector<std::uint8_t> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        bytes[at + i] = values[i];
    }
    return bytes;
}

Bytes cut(Bytes bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}

const BmpLayout rgb24{4, 3, 24};
const BmpLayout indexed8 = BmpLayout{5, 2, 8}.used(3).palette(3);
const std::vector<std::uint32_t> rgb565{0xf800, 0x07e0, 0x001f};
const std::vector<std::uint32_t> argb{0xff0000, 0xff00, 0xff, 0xff000000u};
const BmpLayout argb_v5 = BmpLayout{3, 3, 32}.compressed(3).header(124).bit_masks(argb);

// Files that both SDL implementations read correctly; they must keep loading.
std::vector<Case> valid_files() {
    return {
        {"1 bit", make_bmp(BmpLayout{13, 7, 1}.palette(2)), BmpVerdict::accepted},
        {"1 bit, one colour used", make_bmp(BmpLayout{9, 3, 1}.used(1).palette(1)),
         BmpVerdict::accepted},
        {"4 bit", make_bmp(BmpLayout{9, 5, 4}.palette(16).filled(0xf3)), BmpVerdict::accepted},
        {"8 bit, three colours", make_bmp(indexed8.filled(2)), BmpVerdict::accepted},
        {"8 bit, OS/2 header", make_bmp(BmpLayout{6, 3, 8}.header(12).palette(256).filled(255)),
         BmpVerdict::accepted},
        {"16 bit", make_bmp(BmpLayout{6, 2, 16}), BmpVerdict::accepted},
        {"16 bit, bit fields", make_bmp(BmpLayout{5, 3, 16}.compressed(3).bit_masks(rgb565)),
         BmpVerdict::accepted},
        {"24 bit", make_bmp(rgb24), BmpVerdict::accepted},
        {"24 bit, OS/2 header", make_bmp(BmpLayout{3, 2, 24}.header(12)), BmpVerdict::accepted},
        {"32 bit, top-down", make_bmp(BmpLayout{4, -4, 32}), BmpVerdict::accepted},
        {"32 bit, bit fields in a 124-byte header",
         make_bmp(BmpLayout{3, 3, 32}.compressed(3).header(124).bit_masks(argb)),
         BmpVerdict::accepted},
        {"1 bit, 4096 x 4096", make_bmp(BmpLayout{4096, 4096, 1}.palette(2)), BmpVerdict::accepted},
        {"8 bit, 16383 x 1", make_bmp(BmpLayout{16383, 1, 8}.palette(256)), BmpVerdict::accepted},
    };
}

std::vector<Case> refused_files() {
    const Bytes good = make_bmp(rgb24);
    return {
        {"empty", {}, BmpVerdict::short_header},
        {"only the magic", cut(good, 2), BmpVerdict::short_header},
        {"cut inside the information header", cut(good, 30), BmpVerdict::short_header},
        {"bit fields without their masks",
         cut(make_bmp(BmpLayout{4, 3, 32}.compressed(3).bit_masks(argb)), 60),
         BmpVerdict::short_header},
        {"wrong magic", edited(good, 0, {'M', 'B'}), BmpVerdict::not_bmp},
        {"header size 0", edited(good, 14, {0}), BmpVerdict::bad_header_size},
        {"header size 39", edited(good, 14, {39}), BmpVerdict::bad_header_size},
        {"header size 125", edited(good, 14, {125}), BmpVerdict::bad_header_size},
        {"header size 64 KB", edited(good, 14, {40, 0, 1}), BmpVerdict::bad_header_size},
        {"0 bits", make_bmp(BmpLayout{4, 3, 0}), BmpVerdict::bad_bit_count},
        {"15 bits", make_bmp(BmpLayout{4, 3, 15}), BmpVerdict::bad_bit_count},
        {"257 bits", make_bmp(BmpLayout{4, 3, 257}), BmpVerdict::bad_bit_count},
        {"288 bits", make_bmp(BmpLayout{4, 3, 288}), BmpVerdict::bad_bit_count},
        {"8-bit run lengths", make_bmp(indexed8.compressed(1)), BmpVerdict::bad_compression},
        {"4-bit run lengths", make_bmp(BmpLayout{4, 3, 4}.compressed(2).palette(16)),
         BmpVerdict::bad_compression},
        {"bit fields at 24 bits", make_bmp(rgb24.compressed(3).bit_masks(rgb565)),
         BmpVerdict::bad_compression},
        {"bit fields at 8 bits", make_bmp(indexed8.compressed(3)), BmpVerdict::bad_compression},
        {"JPEG inside", make_bmp(rgb24.compressed(4)), BmpVerdict::bad_compression},
        {"width 0", make_bmp(BmpLayout{0, 3, 24}), BmpVerdict::bad_dimensions},
        {"width -4", make_bmp(BmpLayout{-4, 3, 24}.rows(3)), BmpVerdict::bad_dimensions},
        {"height 0", make_bmp(BmpLayout{4, 0, 24}), BmpVerdict::bad_dimensions},
        {"most negative height", make_bmp(BmpLayout{4, INT_MIN, 24}.rows(1)),
         BmpVerdict::bad_dimensions},
        {"row of 16384 pixels", make_bmp(BmpLayout{16384, 1, 24}), BmpVerdict::bad_dimensions},
        {"column of 16384 pixels", make_bmp(BmpLayout{1, -16384, 24}), BmpVerdict::bad_dimensions},
        {"4097 x 4096", make_bmp(BmpLayout{4097, 4096, 1}.palette(2)), BmpVerdict::too_many_pixels},
        {"16383 x 16383, no pixels", make_bmp(BmpLayout{16383, 16383, 24}.rows(0)),
         BmpVerdict::too_many_pixels},
        {"257 colours at 8 bits", make_bmp(indexed8.used(257)), BmpVerdict::bad_palette},
        {"3 colours at 1 bit", make_bmp(BmpLayout{4, 3, 1}.used(3).palette(3)),
         BmpVerdict::bad_palette},
        {"palette cut off", make_bmp(indexed8.used(200).rows(0)), BmpVerdict::bad_palette},
        {"pixels inside the header", edited(good, 10, {20, 0, 0, 0}), BmpVerdict::bad_pixel_offset},
        {"one byte of pixels short", cut(good, good.size() - 1), BmpVerdict::short_pixel_data},
        {"pixels said to start past the end", edited(good, 10, {0xff, 0xff, 0xff, 0xff}),
         BmpVerdict::short_pixel_data},
        {"5 KB promising 4096 x 4096", cut(make_bmp(BmpLayout{4096, 4096, 32}.rows(1)), 5000),
         BmpVerdict::short_pixel_data},
        {"8 bit, pixel names colour 3 of 3", make_bmp(indexed8.filled(3)),
         BmpVerdict::colour_off_palette},
        {"4 bit, pixel names colour 5 of 5",
         make_bmp(BmpLayout{3, 3, 4}.used(5).palette(5).filled(0x45)),
         BmpVerdict::colour_off_palette},
        {"1 bit, pixel names colour 1 of 1",
         make_bmp(BmpLayout{9, 3, 1}.used(1).palette(1).filled(0x01)),
         BmpVerdict::colour_off_palette},
    };
}

// Files that SDL reads safely, as stb_image (the browser's reader) would take them: those it would
// show otherwise than SDL count as missing there.
std::vector<Case> files_for_stb_image() {
    return {
        {"4 bit", make_bmp(BmpLayout{9, 5, 4}.palette(16).filled(0xf3)), BmpVerdict::accepted},
        {"8 bit, three colours", make_bmp(indexed8.filled(2)), BmpVerdict::accepted},
        {"24 bit", make_bmp(rgb24), BmpVerdict::accepted},
        {"24 bit, OS/2 header", make_bmp(BmpLayout{3, 2, 24}.header(12)), BmpVerdict::accepted},
        {"24 bit, 124-byte header", make_bmp(rgb24.header(124)), BmpVerdict::accepted},
        {"32 bit, fourth byte 255", make_bmp(BmpLayout{4, -4, 32}.filled(0xff)),
         BmpVerdict::accepted},
        {"32 bit, fourth byte 0", make_bmp(BmpLayout{4, -4, 32}), BmpVerdict::accepted},
        {"32 bit, opaque, masks in a 124-byte header", make_bmp(argb_v5.filled(0xff)),
         BmpVerdict::accepted},
        {"1 bit", make_bmp(BmpLayout{13, 7, 1}.palette(2)), BmpVerdict::unknown_to_reader},
        {"16 bit", make_bmp(BmpLayout{6, 2, 16}), BmpVerdict::unknown_to_reader},
        {"64-byte header", make_bmp(rgb24.header(64)), BmpVerdict::unknown_to_reader},
        {"two planes", edited(make_bmp(rgb24), 26, {2}), BmpVerdict::unknown_to_reader},
        {"32 bit, OS/2 header", make_bmp(BmpLayout{3, 2, 32}.header(12)),
         BmpVerdict::unknown_to_reader},
        {"8 bit, OS/2 header", make_bmp(BmpLayout{6, 3, 8}.header(12).palette(256)),
         BmpVerdict::palette_misread},
        {"8 bit, 124-byte header", make_bmp(indexed8.header(124).filled(2)),
         BmpVerdict::palette_misread},
        {"8 bit, room for 2 of 3 colours", make_bmp(indexed8.palette(2).filled(1)),
         BmpVerdict::palette_misread},
        {"32 bit, bit fields after a 40-byte header",
         make_bmp(BmpLayout{4, 3, 32}.compressed(3).bit_masks({0xff0000, 0xff00, 0xff})),
         BmpVerdict::masks_misread},
        {"32 bit, 5-bit masks", make_bmp(argb_v5.bit_masks({0x7c00, 0x3e0, 0x1f, 0})),
         BmpVerdict::masks_misread},
        {"32 bit, masks in the header but the default layout",
         make_bmp(argb_v5.compressed(0).bit_masks({0xff, 0xff00, 0xff0000, 0})),
         BmpVerdict::masks_misread},
        {"32 bit, fourth byte 128", make_bmp(BmpLayout{4, 3, 32}.filled(0x80)),
         BmpVerdict::see_through},
        {"32 bit, opacity mask clear in a 124-byte header", make_bmp(argb_v5),
         BmpVerdict::see_through},
    };
}

TEST(BmpCheck, AcceptsEveryBitCountAndHeaderFamily) {
    for (const Case& c : valid_files()) {
        EXPECT_EQ(check(c.bytes), c.verdict) << c.name;
    }
}

TEST(BmpCheck, RefusesEachKindOfHostileFileForItsOwnReason) {
    for (const Case& c : refused_files()) {
        EXPECT_EQ(check(c.bytes), c.verdict) << c.name;
        EXPECT_EQ(check(c.bytes, PictureReader::stb_image), c.verdict) << c.name << ", stb_image";
    }
}

TEST(BmpCheck, RefusesWhatStbImageShowsOtherwiseThanSdl) {
    for (const Case& c : files_for_stb_image()) {
        EXPECT_EQ(check(c.bytes), BmpVerdict::accepted) << c.name << ", SDL";
        EXPECT_EQ(check(c.bytes, PictureReader::stb_image), c.verdict) << c.name;
    }
}

TEST(BmpCheck, LooksOnlyAtPixelsInsideTheWidth) {
    // Row padding and the unused low bits of a 1-bit row may hold anything.
    Bytes bytes = make_bmp(BmpLayout{9, 1, 1}.used(1).palette(1));
    const std::uint32_t offset = pixel_offset_of(bytes);
    bytes[offset + 1] = 0x7f; // columns 9 to 15, past the width of 9
    bytes[offset + 3] = 0xff; // padding
    EXPECT_EQ(check(bytes), BmpVerdict::accepted);
    bytes[offset + 1] = 0x80; // column 8
    EXPECT_EQ(check(bytes), BmpVerdict::colour_off_palette);
}

TEST(PictureLoading, ValidFilesLoadAtTheirSize) {
    // One buffer for every file, as the program reads its five pictures.
    const PictureBuffer buffer(max_picture_file_bytes);
    for (const Case& c : valid_files()) {
        const std::string path = write_temporary_file("Data1.skt", c.bytes);
        SDL_Surface* const picture = load_picture(path.c_str(), buffer);
        remove_temporary_file(path);
        ASSERT_NE(picture, nullptr) << c.name;
        const int width = c.bytes[14] == 12 ? c.bytes[18] | c.bytes[19] << 8
                                            : c.bytes[18] | c.bytes[19] << 8 | c.bytes[20] << 16;
        EXPECT_EQ(picture->w, width) << c.name;
        SDL_FreeSurface(picture);
    }
}

TEST(PictureLoading, RefusedFilesCountAsMissing) {
    const PictureBuffer buffer(max_picture_file_bytes);
    for (const Case& c : refused_files()) {
        const std::string path = write_temporary_file("Data1.skt", c.bytes);
        EXPECT_EQ(load_picture(path.c_str(), buffer), nullptr) << c.name;
        remove_temporary_file(path);
    }
}

} // namespace
