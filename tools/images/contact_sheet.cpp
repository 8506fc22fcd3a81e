// A contact sheet of the ten images: a fixed 5 × 2 grid of tiles, each image
// scaled down to fit (the 1 × 1 bar shown as a swatch) over a checkerboard that
// reveals transparency, labelled with its file name and size in the block face.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "block_glyphs.h"
#include "canvas.h"
#include "image_set.h"
#include "lettering.h"

namespace {

constexpr int tile = 300, label_height = 34, gap = 12, columns = 5, rows = 2;
constexpr int bar_swatch = 120;

Colour checker(int x, int y) { return ((x / 8 + y / 8) % 2) ? rgb(58, 58, 66) : rgb(40, 40, 46); }

// Area-averaged sample of the decoded image over the source box [x0, x1) × [y0, y1).
Colour box_sample(const std::vector<std::uint8_t>& rgba, int width, float x0, float y0, float x1, float y1) {
    float r = 0, g = 0, b = 0, a = 0, n = 0;
    for (int y = static_cast<int>(y0); y < static_cast<int>(std::ceil(y1)); ++y)
        for (int x = static_cast<int>(x0); x < static_cast<int>(std::ceil(x1)); ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            const float alpha = p[3] / 255.0f;
            r += p[0] / 255.0f * alpha;
            g += p[1] / 255.0f * alpha;
            b += p[2] / 255.0f * alpha;
            a += alpha;
            n += 1;
        }
    if (a <= 0) return {0, 0, 0, 0};
    return {r / a, g / a, b / a, a / n};
}

std::string label_for(const char* file, int width, int height) {
    std::string label;
    for (const char* c = file; *c && *c != '.'; ++c) label += *c == '_' ? ' ' : static_cast<char>(std::toupper(*c));
    return label + " " + std::to_string(width) + "X" + std::to_string(height);
}

}  // namespace

bool write_contact_sheet(const std::string& folder, const std::string& path, std::string& error) {
    Canvas sheet = make_canvas(columns * (tile + gap) + gap, rows * (tile + label_height + gap) + gap, rgb(18, 18, 24));
    int index = 0;
    for (const GeneratedImage& g : generated_images) {
        int width = 0, height = 0;
        std::vector<std::uint8_t> rgba;
        if (!read_png_rgba(folder + "/" + g.file, width, height, rgba, error)) return false;
        const int tx = gap + (index % columns) * (tile + gap),
                  ty = gap + (index / columns) * (tile + label_height + gap);
        const float scale =
            width * height == 1 ? bar_swatch : std::min({1.0f, float(tile) / width, float(tile) / height});
        const int w = static_cast<int>(std::lround(width * scale)), h = static_cast<int>(std::lround(height * scale));
        const int ox = tx + (tile - w) / 2, oy = ty + (tile - h) / 2;
        for (int y = ty; y < ty + tile; ++y)
            for (int x = tx; x < tx + tile; ++x) sheet.at(x, y) = checker(x - tx, y - ty);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float x0 = std::min(x / scale, width - 1.0f), y0 = std::min(y / scale, height - 1.0f);
                const float x1 = std::max(std::min((x + 1) / scale, float(width)), x0 + 1);
                const float y1 = std::max(std::min((y + 1) / scale, float(height)), y0 + 1);
                const Colour c = box_sample(rgba, width, x0, y0, x1, y1);
                sheet.at(ox + x, oy + y) = over(sheet.at(ox + x, oy + y), c);
            }
        const std::string label = label_for(g.file, width, height);
        constexpr float unit = 2.2f;
        const float label_width = (label.size() * 6 - 1) * unit;
        LetteringStyle style{[](float) { return rgb(220, 226, 236); }, 0, {0, 0}, {}, {}, 0, {}, 0, {}};
        draw_lettering(
            sheet, block_text(label.c_str(), place(tx + (tile - label_width) / 2, ty + tile + 10, unit, unit)), style);
        ++index;
    }
    return write_png(path, truecolour_png(sheet), error);
}
