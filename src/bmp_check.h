#pragma once

#include <cstddef>
#include <cstdint>

// The picture files are untrusted: SDL 1.2's BMP readers crash, or allocate gigabytes, on files
// whose header lies. So every file is looked at here before SDL sees it, and only files that
// both SDL implementations read safely are let through.
//
// In the browser, SDL hands the bytes to stb_image instead, which reads some BMP files that SDL
// reads well in a way of its own: it refuses 1-bit files, takes the fourth byte of a 32-bit
// pixel as opacity, and looks for palettes and bit masks elsewhere. There a picture must either
// look exactly as SDL shows it or count as missing, so those files are refused as well.

// The largest picture accepted, in pixels: 4096 x 4096. A picture may be larger than the
// rectangle it fills on the screen (it is cut), but a decoded picture never takes more than
// 64 MB (4 bytes a pixel).
constexpr std::int64_t max_picture_pixels = std::int64_t{4096} * 4096;

// The longest side accepted. SDL 1.2 keeps a surface's row length in bytes in 16 bits, so a
// row of 16,384 pixels at 4 bytes each would wrap round to a row of none.
constexpr std::int64_t max_picture_side = 16383;

// The longest file accepted: the largest picture at 32 bits a pixel, plus room for the largest
// header, bit masks and palette. Longer files are refused unread.
constexpr std::size_t max_picture_file_bytes = max_picture_pixels * 4 + 2048;

// Why a file was refused, or that it was not.
enum class BmpVerdict {
    accepted,
    short_header,       // the file ends before its headers do
    not_bmp,            // no "BM" at the start
    bad_header_size,    // the information header is neither 12 nor 40 to 124 bytes long
    bad_bit_count,      // not 1, 4, 8, 16, 24 or 32 bits a pixel
    bad_compression,    // compressed (run lengths and the rest), or bit fields below 16 bits
    bad_dimensions,     // width or height zero, negative width, or a side above the limit
    too_many_pixels,    // width x height above max_picture_pixels
    bad_palette,        // more colours than the bit count can index, or the palette cut off
    bad_pixel_offset,   // pixel data said to start inside the headers
    short_pixel_data,   // the file ends before the pixel data the header promises
    colour_off_palette, // a pixel names a colour past the end of its palette

    // Refused only where stb_image reads the pictures:
    unknown_to_reader, // 1 or 16 bits a pixel, planes other than 1, a header size it does not
                       // know, or 32 bits under the OS/2 header
    palette_misread,   // it would look for the palette elsewhere, or find fewer colours
    masks_misread,     // 32 bits with other bit masks than the usual ones, or masks that it
                       // would look for elsewhere
    see_through        // it would take pixels as partly or wholly transparent
};

// Which code decodes the pictures: SDL 1.2's own BMP reader on the desktop, stb_image in the
// browser (the system layer says which, through picture_reader()).
enum class PictureReader { sdl, stb_image };

// Decides whether the whole file in bytes[0, size) is a BMP that the reader may be given and
// will show as SDL 1.2 shows it. Pure: reads nothing but the bytes it is handed.
BmpVerdict check_bmp(const std::uint8_t* bytes, std::size_t size, PictureReader reader);
