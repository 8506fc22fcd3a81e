// RGB to BT.709 limited-range 4:2:0, in fixed point.
#include "yuv_frame.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr std::size_t rgba_bytes = 4;
constexpr int fraction_bits = 16;
constexpr std::int64_t one = std::int64_t{1} << fraction_bits;

// The BT.709 matrix scaled for limited range: 219/255 of full scale for luma,
// 224/255 for chroma, as integers of 2^16.
constexpr std::int64_t scaled(double coefficient, double range) {
    const double v = coefficient * range / 255.0 * static_cast<double>(one);
    return static_cast<std::int64_t>(v < 0 ? v - 0.5 : v + 0.5);
}
constexpr std::int64_t y_r = scaled(0.2126, 219), y_g = scaled(0.7152, 219), y_b = scaled(0.0722, 219);
constexpr std::int64_t cb_r = scaled(-0.2126 / 1.8556, 224), cb_g = scaled(-0.7152 / 1.8556, 224),
                       cb_b = scaled(0.5, 224);
constexpr std::int64_t cr_r = scaled(0.5, 224), cr_g = scaled(-0.7152 / 1.5748, 224),
                       cr_b = scaled(-0.0722 / 1.5748, 224);
constexpr std::uint8_t black_y = 16;
constexpr std::uint8_t neutral_chroma = 128;

// offset + fixed / 2^(16 + extra_bits), rounded half up.
std::uint8_t to_byte(std::int64_t fixed, int offset, int extra_bits = 0) {
    const int shift = fraction_bits + extra_bits;
    const std::int64_t rounded = (fixed + (std::int64_t{1} << (shift - 1))) >> shift;
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(offset + rounded, 0, 255));
}
constexpr int chroma_weight_bits = 3;  // the 8 parts of a chroma sample's colour

}  // namespace

int even_side(int side) { return side + (side & 1); }

std::size_t yuv420_bytes(int width, int height) {
    const std::size_t luma = static_cast<std::size_t>(even_side(width)) * static_cast<std::size_t>(even_side(height));
    return luma + luma / 2;
}

void pack_yuv420_bt709(const std::uint8_t* gl_pixels, int width, int height, std::uint8_t* yuv) {
    assert(width > 0 && height > 0);
    const int w = even_side(width), h = even_side(height);
    const std::size_t row_bytes = static_cast<std::size_t>(width) * rgba_bytes;
    std::uint8_t* luma = yuv;
    std::uint8_t* cb = yuv + static_cast<std::size_t>(w) * h;
    std::uint8_t* cr = cb + static_cast<std::size_t>(w / 2) * (h / 2);
    // Row y from the top, or null for the black padding row.
    const auto row = [&](int y) -> const std::uint8_t* {
        return y < height ? gl_pixels + static_cast<std::size_t>(height - 1 - y) * row_bytes : nullptr;
    };
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = row(y);
        std::uint8_t* out = luma + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            if (!in || x >= width) {
                out[x] = black_y;
                continue;
            }
            const std::uint8_t* p = in + static_cast<std::size_t>(x) * rgba_bytes;
            out[x] = to_byte(y_r * p[0] + y_g * p[1] + y_b * p[2], black_y);
        }
    }
    // Chroma from the colour of each 2 x 2 block, each pixel counted twice: 8
    // parts in all.
    for (int cy = 0; cy < h / 2; ++cy) {
        const std::uint8_t* rows[2] = {row(2 * cy), row(2 * cy + 1)};
        for (int cx = 0; cx < w / 2; ++cx) {
            std::int64_t sum[3] = {0, 0, 0};
            for (const std::uint8_t* in : rows) {
                for (int dx = 0; dx <= 1; ++dx) {
                    const int x = 2 * cx + dx;
                    constexpr int weight = 2;
                    if (!in || x >= width) continue;  // black adds nothing
                    const std::uint8_t* p = in + static_cast<std::size_t>(x) * rgba_bytes;
                    for (int c = 0; c < 3; ++c) sum[c] += weight * p[c];
                }
            }
            const std::size_t at = static_cast<std::size_t>(cy) * (w / 2) + cx;
            cb[at] = to_byte(cb_r * sum[0] + cb_g * sum[1] + cb_b * sum[2], neutral_chroma, chroma_weight_bits);
            cr[at] = to_byte(cr_r * sum[0] + cr_g * sum[1] + cr_b * sum[2], neutral_chroma, chroma_weight_bits);
        }
    }
}
