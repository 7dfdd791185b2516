#include "bmp_check.h"

namespace {

constexpr std::size_t file_header_bytes = 14;
constexpr std::uint32_t core_header_bytes = 12; // the old OS/2 header, 16-bit sides
constexpr std::uint32_t info_header_bytes = 40; // and its successors, up to 124 bytes
constexpr std::uint32_t largest_header_bytes = 124;
constexpr std::uint32_t mask_bytes = 12; // red, green and blue bit masks
constexpr std::uint32_t compression_none = 0;
constexpr std::uint32_t compression_bit_fields = 3;

std::uint32_t read_u16(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8;
}

std::uint32_t read_u32(const std::uint8_t* at) {
    return read_u16(at) | read_u16(at + 2) << 16;
}

std::int64_t read_s32(const std::uint8_t* at) {
    return static_cast<std::int32_t>(read_u32(at));
}

bool is_known_bit_count(std::uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

struct Header {
    std::int64_t width;
    std::int64_t height; // rows stored top-down when negative
    std::uint32_t planes;
    std::uint32_t bits;
    std::uint32_t compression;
    std::uint32_t colours; // palette entries, 0 meaning "as many as the bits can index"
    std::uint32_t entry_bytes;
};

Header read_header(const std::uint8_t* info, std::uint32_t header_size) {
    if (header_size == core_header_bytes) {
        return {read_u16(info + 4),
                read_u16(info + 6),
                read_u16(info + 8),
                read_u16(info + 10),
                compression_none,
                0,
                3};
    }
    return {read_s32(info + 4),
            read_s32(info + 8),
            read_u16(info + 12),
            read_u16(info + 14),
            read_u32(info + 16),
            read_u32(info + 32),
            4};
}

// What the first stage of the check learnt of a file it accepted.
struct Layout {
    Header header;
    std::uint32_t header_size;
    std::uint32_t colours; // as SDL counts them: the header's number, or all the bits can index
    std::int64_t rows;
    std::int64_t pixel_offset;
};

// SDL trusts every pixel of a palette picture to name an entry of the palette it read; one
// beyond it makes the blit read past the end of SDL's colour map.
bool all_pixels_in_palette(const std::uint8_t* pixels, std::int64_t row_bytes, std::int64_t rows,
                           std::int64_t width, std::uint32_t bits, std::uint32_t colours) {
    const std::uint32_t per_byte = 8 / bits;
    const std::uint32_t mask = (1u << bits) - 1;
    for (std::int64_t row = 0; row < rows; ++row) {
        const std::uint8_t* const line = pixels + row * row_bytes;
        for (std::int64_t column = 0; column < width; ++column) {
            const std::uint32_t slot = static_cast<std::uint32_t>(column % per_byte);
            const std::uint32_t shift = 8 - bits * (slot + 1);
            const std::uint32_t index = (line[column / per_byte] >> shift) & mask;
            if (index >= colours) {
                return false;
            }
        }
    }
    return true;
}

// What SDL 1.2's readers need of a file to read it safely.
BmpVerdict check_for_sdl(const std::uint8_t* bytes, std::size_t size, Layout& layout) {
    if (size < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
        return size < 2 ? BmpVerdict::short_header : BmpVerdict::not_bmp;
    }
    if (size < file_header_bytes + 4) {
        return BmpVerdict::short_header;
    }
    const std::uint32_t header_size = read_u32(bytes + file_header_bytes);
    if (header_size != core_header_bytes &&
        (header_size < info_header_bytes || header_size > largest_header_bytes)) {
        return BmpVerdict::bad_header_size;
    }
    // All sizes below are 64-bit: none of the products can overflow.
    std::int64_t headers_end = file_header_bytes + std::int64_t{header_size};
    if (static_cast<std::int64_t>(size) < headers_end) {
        return BmpVerdict::short_header;
    }

    const Header header = read_header(bytes + file_header_bytes, header_size);
    if (!is_known_bit_count(header.bits)) {
        return BmpVerdict::bad_bit_count;
    }
    const bool bit_fields = header.compression == compression_bit_fields;
    if (header.compression != compression_none &&
        !(bit_fields && (header.bits == 16 || header.bits == 32))) {
        return BmpVerdict::bad_compression;
    }
    if (bit_fields && header_size < info_header_bytes + mask_bytes) {
        // The masks follow a 40-byte header; longer headers hold them.
        headers_end = file_header_bytes + info_header_bytes + mask_bytes;
        if (static_cast<std::int64_t>(size) < headers_end) {
            return BmpVerdict::short_header;
        }
    }

    const std::int64_t width = header.width;
    const std::int64_t rows = header.height < 0 ? -header.height : header.height;
    if (width < 1 || rows < 1 || width > max_picture_side || rows > max_picture_side) {
        return BmpVerdict::bad_dimensions;
    }
    if (width * rows > max_picture_pixels) {
        return BmpVerdict::too_many_pixels;
    }

    std::uint32_t colours = 0;
    if (header.bits <= 8) {
        const std::uint32_t most = 1u << header.bits;
        colours = header.colours == 0 ? most : header.colours;
        const std::int64_t palette_end =
            headers_end + std::int64_t{colours} * std::int64_t{header.entry_bytes};
        if (colours > most || palette_end > static_cast<std::int64_t>(size)) {
            return BmpVerdict::bad_palette;
        }
    }

    const std::int64_t pixel_offset = read_u32(bytes + 10);
    if (pixel_offset < headers_end) {
        return BmpVerdict::bad_pixel_offset;
    }
    // Rows are padded to whole 32-bit words.
    const std::int64_t row_bytes = (width * header.bits + 31) / 32 * 4;
    if (pixel_offset + row_bytes * rows > static_cast<std::int64_t>(size)) {
        return BmpVerdict::short_pixel_data;
    }
    if (header.bits <= 8 && colours < (1u << header.bits) &&
        !all_pixels_in_palette(bytes + pixel_offset, row_bytes, rows, width, header.bits,
                               colours)) {
        return BmpVerdict::colour_off_palette;
    }
    layout = {header, header_size, colours, rows, pixel_offset};
    return BmpVerdict::accepted;
}

// Whether the fourth byte of every one of count 32-bit pixels is 255, and whether it is 0 in
// every one: stb_image takes that byte as the pixel's opacity.
struct Opacity {
    bool all_opaque;
    bool all_zero;
};

Opacity opacity_of(const std::uint8_t* pixels, std::int64_t count) {
    Opacity result{true, true};
    for (std::int64_t i = 0; i < count && (result.all_opaque || result.all_zero); ++i) {
        const std::uint8_t fourth = pixels[i * 4 + 3];
        result.all_opaque = result.all_opaque && fourth == 0xff;
        result.all_zero = result.all_zero && fourth == 0;
    }
    return result;
}

// The header sizes stb_image knows besides the first two: the third holds bit masks that it
// passes over, the fourth and fifth bit masks that it reads, opacity's included.
constexpr std::uint32_t v3_header_bytes = 56;
constexpr std::uint32_t v4_header_bytes = 108;
constexpr std::uint32_t default_masks[] = {0x00ff0000, 0x0000ff00, 0x000000ff};

// What stb_image 2.08 needs of a file that SDL reads safely to show it as SDL does.
BmpVerdict check_for_stb_image(const std::uint8_t* bytes, const Layout& layout) {
    const Header& header = layout.header;
    const std::uint32_t size = layout.header_size;
    const bool known_size = size == core_header_bytes || size == info_header_bytes ||
                            size == v3_header_bytes || size == v4_header_bytes ||
                            size == largest_header_bytes;
    if (!known_size || header.planes != 1 || header.bits == 1 || header.bits == 16 ||
        (header.bits == 32 && size == core_header_bytes)) {
        return BmpVerdict::unknown_to_reader;
    }
    const std::int64_t headers_end = file_header_bytes + std::int64_t{size};
    if (header.bits <= 8) {
        // stb_image takes as many colours as fit between the header and the pixels; SDL reads
        // its colours right after the first 40 bytes of the header. They meet only under a
        // 40-byte header with room for every colour SDL reads. (Under the OS/2 header stb_image
        // counts four colours too few.)
        const std::int64_t room = (layout.pixel_offset - headers_end) / 4;
        if (size != info_header_bytes || room < layout.colours || room > 256) {
            return BmpVerdict::palette_misread;
        }
        return BmpVerdict::accepted;
    }
    if (header.bits == 24) {
        return BmpVerdict::accepted;
    }

    const Opacity opacity = opacity_of(bytes + layout.pixel_offset, header.width * layout.rows);
    if (size < v4_header_bytes) {
        // stb_image reads bit masks after the whole header, and then starts the pixels 12 bytes
        // late; SDL reads them after the first 40 bytes. Only the default masks are read alike.
        if (header.compression != compression_none || layout.pixel_offset != headers_end) {
            return BmpVerdict::masks_misread;
        }
        // The fourth byte counts, unless it is 0 throughout.
        return opacity.all_opaque || opacity.all_zero ? BmpVerdict::accepted
                                                      : BmpVerdict::see_through;
    }
    // Longer headers hold the masks, opacity's too, and stb_image always takes them. SDL takes
    // the colours' masks from there or uses the defaults, and copies a picture whose red mask is
    // the screen's as it is, whatever its other masks: only the default masks look alike.
    const std::uint8_t* const masks = bytes + file_header_bytes + info_header_bytes;
    for (int colour = 0; colour < 3; ++colour) {
        if (read_u32(masks + 4 * colour) != default_masks[colour]) {
            return BmpVerdict::masks_misread;
        }
    }
    const std::uint32_t opacity_mask = read_u32(masks + 12);
    if (opacity_mask != 0 && !(opacity_mask == 0xff000000u && opacity.all_opaque)) {
        return BmpVerdict::see_through;
    }
    return BmpVerdict::accepted;
}

} // namespace

BmpVerdict check_bmp(const std::uint8_t* bytes, std::size_t size, PictureReader reader) {
    Layout layout{};
    const BmpVerdict verdict = check_for_sdl(bytes, size, layout);
    if (verdict != BmpVerdict::accepted || reader == PictureReader::sdl) {
        return verdict;
    }
    return check_for_stb_image(bytes, layout);
}
