// A PNG's chunk layout read straight from its bytes, without libpng.
#include "png_io.h"

#include <algorithm>
#include <cassert>

#include "input_file.h"

namespace {

constexpr std::size_t png_signature_bytes = 8;
constexpr std::size_t ihdr_bytes = 13;
constexpr std::size_t chunk_frame_bytes = 12;            // length, type and CRC around the data
constexpr std::uint32_t max_png_dimension = 0x7FFFFFFF;  // the format's own bound on either side

std::uint32_t big_endian_32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

bool parse_png_layout(const std::uint8_t* bytes, std::size_t size, const std::string& name, PngLayout& layout,
                      std::string& error) {
    static const std::uint8_t signature[png_signature_bytes] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (size < png_signature_bytes || !std::equal(signature, signature + png_signature_bytes, bytes)) {
        error = name + ": not a PNG file (bad signature)";
        return false;
    }
    layout = PngLayout{};
    bool seen_palette = false;
    std::size_t at = png_signature_bytes;
    while (at < size) {
        const std::string where = " at byte " + std::to_string(at);
        if (size - at < chunk_frame_bytes) {
            error = name + ": truncated chunk" + where;
            return false;
        }
        const std::uint32_t length = big_endian_32(&bytes[at]);
        if (length > size - at - chunk_frame_bytes) {
            error = name + ": truncated chunk" + where;
            return false;
        }
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const std::uint8_t* data = &bytes[at + 8];
        if (layout.chunks.empty() && (type != "IHDR" || length != ihdr_bytes)) {
            error = name + ": first chunk is not a 13-byte IHDR";
            return false;
        }
        // One header, one palette, one transparency chunk: a second would make the
        // layout read back as something the file does not say.
        const bool repeated = (type == "IHDR" && !layout.chunks.empty()) || (type == "PLTE" && seen_palette) ||
                              (type == "tRNS" && layout.has_transparency);
        if (repeated) {
            error = name + ": repeated " + type + " chunk" + where;
            return false;
        }
        layout.chunks.push_back(type);
        if (type == "IHDR") {
            assert(length == ihdr_bytes);
            const std::uint32_t width = big_endian_32(data), height = big_endian_32(data + 4);
            if (width == 0 || height == 0 || width > max_png_dimension || height > max_png_dimension) {
                error = name + ": IHDR size " + std::to_string(width) + "x" + std::to_string(height) + " outside 1.." +
                        std::to_string(max_png_dimension);
                return false;
            }
            layout.width = static_cast<int>(width);
            layout.height = static_cast<int>(height);
            layout.bit_depth = data[8];
            layout.colour_type = data[9];
            layout.interlace = data[12];
        } else if (type == "PLTE") {
            seen_palette = true;
            for (std::uint32_t i = 0; i + 3 <= length; i += 3)
                layout.palette.push_back({data[i], data[i + 1], data[i + 2]});
        } else if (type == "tRNS") {
            layout.has_transparency = true;
            layout.transparency.assign(data, data + length);
        }
        at += chunk_frame_bytes + length;
        if (type == "IEND") break;
    }
    if (layout.chunks.empty() || layout.chunks.back() != "IEND") {
        error = name + ": no IEND chunk";
        return false;
    }
    return true;
}

bool read_png_layout(const std::string& path, PngLayout& layout, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!read_input_file(path, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return parse_png_layout(bytes.data(), bytes.size(), path, layout, error);
}
