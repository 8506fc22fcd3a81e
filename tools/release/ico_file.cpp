// Writing an .ico: the directory, then each picture; a bitmap picture is a
// BITMAPINFOHEADER of twice the height, the BGRA rows bottom first, and the
// one-bit AND mask (1 where the pixel is transparent), its rows padded to 32 bits.
#include "ico_file.h"

#include <cassert>
#include <set>

#include "little_endian.h"

namespace {

constexpr std::size_t directory_bytes = 6;
constexpr std::size_t entry_bytes = 16;
constexpr std::size_t bitmap_header_bytes = 40;
constexpr int bits_per_pixel = 32;
// Below half opacity a pixel counts as transparent where only the mask is read.
constexpr std::uint8_t mask_alpha_threshold = 128;

std::size_t mask_row_bytes(int size) { return (static_cast<std::size_t>(size) + 31) / 32 * 4; }

std::vector<std::uint8_t> bitmap_picture(const IcoPicture& picture) {
    const int size = picture.size;
    const std::size_t colour_bytes = static_cast<std::size_t>(size) * size * 4;
    const std::size_t mask_bytes = mask_row_bytes(size) * size;
    std::vector<std::uint8_t> out;
    out.reserve(bitmap_header_bytes + colour_bytes + mask_bytes);
    put_u32(out, bitmap_header_bytes);
    put_u32(out, static_cast<std::uint32_t>(size));
    put_u32(out, static_cast<std::uint32_t>(size) * 2);  // colour rows and mask rows
    put_u16(out, 1);                                     // planes
    put_u16(out, bits_per_pixel);
    put_u32(out, 0);  // BI_RGB
    put_u32(out, static_cast<std::uint32_t>(colour_bytes + mask_bytes));
    for (int i = 0; i < 4; ++i) put_u32(out, 0);  // resolution, palette
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const std::uint8_t* p = &picture.rgba[(static_cast<std::size_t>(y) * size + x) * 4];
            put_u8(out, p[2]);
            put_u8(out, p[1]);
            put_u8(out, p[0]);
            put_u8(out, p[3]);
        }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(mask_row_bytes(size), 0);
        for (int x = 0; x < size; ++x)
            if (picture.rgba[(static_cast<std::size_t>(y) * size + x) * 4 + 3] < mask_alpha_threshold)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    assert(out.size() == bitmap_header_bytes + colour_bytes + mask_bytes);
    return out;
}

}  // namespace

bool make_ico(const std::vector<IcoPicture>& pictures, std::vector<std::uint8_t>& ico, std::string& error) {
    ico.clear();
    if (pictures.empty()) {
        error = "no pictures for the icon";
        return false;
    }
    std::set<int> seen;
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const IcoPicture& picture : pictures) {
        const std::string name = std::to_string(picture.size) + " x " + std::to_string(picture.size);
        if (picture.size < 1 || picture.size > ico_png_size) {
            error = "an icon of " + name + " pixels: sides run from 1 to 256";
            return false;
        }
        if (!seen.insert(picture.size).second) {
            error = "the icon of " + name + " pixels is given twice";
            return false;
        }
        if (picture.size == ico_png_size) {
            if (picture.png.empty()) {
                error = "the icon of " + name + " pixels needs its PNG";
                return false;
            }
            bodies.push_back(picture.png);
            continue;
        }
        if (picture.rgba.size() != static_cast<std::size_t>(picture.size) * picture.size * 4) {
            error = "the icon of " + name + " pixels has " + std::to_string(picture.rgba.size()) + " bytes of pixels";
            return false;
        }
        bodies.push_back(bitmap_picture(picture));
    }

    put_u16(ico, 0);  // reserved
    put_u16(ico, 1);  // an icon, not a cursor
    put_u16(ico, static_cast<unsigned>(pictures.size()));
    std::size_t offset = directory_bytes + entry_bytes * pictures.size();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const int size = pictures[i].size;
        put_u8(ico, size == ico_png_size ? 0 : size);  // 0 stands for 256
        put_u8(ico, size == ico_png_size ? 0 : size);
        put_u8(ico, 0);  // no palette
        put_u8(ico, 0);
        put_u16(ico, 1);  // planes
        put_u16(ico, bits_per_pixel);
        put_u32(ico, static_cast<std::uint32_t>(bodies[i].size()));
        put_u32(ico, static_cast<std::uint32_t>(offset));
        offset += bodies[i].size();
    }
    for (const auto& body : bodies) ico.insert(ico.end(), body.begin(), body.end());
    assert(ico.size() == offset);
    return true;
}
