// The checks behind asset-check: header layout, palette transparency, atlas
// grids, cube faces, bar and panel colours.
#include "asset_rules.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "png_io.h"

namespace {

struct Report {
    std::vector<std::string>& lines;
    void fail(const std::string& file, const std::string& property, const std::string& expected,
              const std::string& found) {
        lines.push_back(file + ": " + property + ": expected " + expected + ", found " + found);
    }
};

struct Decoded {
    bool usable = false;  // layout as required and pixels decoded
    PngLayout layout;
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

std::string rgb_text(int r, int g, int b) {
    char text[48];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", r, g, b);
    return text;
}
std::string rgb_text(Rgb c) { return rgb_text(c.r, c.g, c.b); }
std::string pixel_text(const std::uint8_t* p) { return rgb_text(p[0], p[1], p[2]) + " alpha " + std::to_string(p[3]); }
std::string at_text(int x, int y) {
    char text[48];
    std::snprintf(text, sizeof text, " at (%d,%d)", x, y);
    return text;
}
bool same_rgb(const std::uint8_t* p, Rgb c) { return p[0] == c.r && p[1] == c.g && p[2] == c.b; }

std::string glyph_name(int code) {
    char text[32];
    if (code == ' ') std::snprintf(text, sizeof text, "cell %d (space)", code - atlas_first_code);
    else
        std::snprintf(text, sizeof text, "cell %d ('%c')", code - atlas_first_code, code);
    return text;
}

// Reads one file and checks what every image shares: size, 8 bits, colour type,
// no interlacing.
Decoded load(const std::string& folder, const AssetImage& asset, Report& report) {
    Decoded d;
    std::string error;
    const std::string path = folder + "/" + asset.file;
    if (!read_png_layout(path, d.layout, error)) {
        report.fail(asset.file, "file", "a readable PNG", error);
        return d;
    }
    const PngLayout& l = d.layout;
    bool usable = true;
    if (l.width != asset.width || l.height != asset.height) {
        report.fail(asset.file, "size", std::to_string(asset.width) + "x" + std::to_string(asset.height),
                    std::to_string(l.width) + "x" + std::to_string(l.height));
        usable = false;
    }
    if (l.bit_depth != 8) {
        report.fail(asset.file, "bit depth", "8", std::to_string(l.bit_depth));
        usable = false;
    }
    if (l.colour_type != asset.colour_type) {
        report.fail(asset.file, "colour type", std::to_string(asset.colour_type), std::to_string(l.colour_type));
        usable = false;
    }
    if (l.interlace != 0) {
        report.fail(asset.file, "interlace", "none", l.interlace == 1 ? "Adam7" : std::to_string(l.interlace));
        usable = false;
    }
    if (!usable) return d;
    if (!read_png_rgba(path, d.width, d.height, d.rgba, error)) {
        report.fail(asset.file, "pixels", "decodable image data", error);
        return d;
    }
    d.usable = true;
    return d;
}

void require_transparency_chunk(const AssetImage& asset, const Decoded& d, Report& report) {
    if (!d.layout.has_transparency) report.fail(asset.file, "transparency chunk", "tRNS", "none");
}

void require_opaque(const AssetImage& asset, const Decoded& d, Report& report) {
    if (d.layout.has_transparency) report.fail(asset.file, "opacity", "no transparency chunk", "tRNS");
}

int visible_pixels(const Decoded& d, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += d.at(x, y)[3] != 0;
    return n;
}

// The 10 × 6 grid: cells of `required` must be drawn; with `exclusive` every
// other cell must be empty, otherwise only the space. Outside the grid nothing.
void check_atlas(const AssetImage& asset, const Decoded& d, int cell, const char* required, bool exclusive,
                 Report& report) {
    for (int k = 0; k < atlas_columns * atlas_rows; ++k) {
        const int code = atlas_first_code + k;
        const int x0 = (k % atlas_columns) * cell, y0 = (k / atlas_columns) * cell;
        const int drawn = visible_pixels(d, x0, y0, x0 + cell, y0 + cell);
        const bool wanted = std::strchr(required, code) != nullptr;
        if (wanted && drawn == 0) report.fail(asset.file, glyph_name(code), "a glyph", "an empty cell");
        if (!wanted && drawn > 0 && (exclusive || code == ' '))
            report.fail(asset.file, glyph_name(code), "an empty cell", std::to_string(drawn) + " visible pixels");
    }
    const int grid_w = atlas_columns * cell, grid_h = atlas_rows * cell;
    const int margin = visible_pixels(d, grid_w, 0, d.width, d.height) + visible_pixels(d, 0, grid_h, grid_w, d.height);
    if (margin > 0)
        report.fail(asset.file, "area outside the " + std::to_string(grid_w) + "x" + std::to_string(grid_h) + " grid",
                    "transparent", std::to_string(margin) + " visible pixels");
}

// White glyphs: every visible pixel is a grey, and the glyphs reach pure white.
void check_white_glyphs(const AssetImage& asset, const Decoded& d, Report& report) {
    bool white = false;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const std::uint8_t* p = d.at(x, y);
            if (p[3] == 0) continue;
            if (p[0] != p[1] || p[1] != p[2]) {
                report.fail(asset.file, "glyph colour", "white, grey or black", pixel_text(p) + at_text(x, y));
                return;
            }
            white = white || (p[0] == 255 && p[3] == 255);
        }
    if (!white) report.fail(asset.file, "glyph colour", "opaque white strokes", "no white pixel");
}

void check_page_font(const AssetImage& asset, const Decoded& d, Report& report) {
    check_atlas(asset, d, page_font_cell, page_font_glyphs, true, report);
    check_white_glyphs(asset, d, report);
}

void check_scroller_font(const AssetImage& asset, const Decoded& d, Report& report) {
    const PngLayout& l = d.layout;
    require_transparency_chunk(asset, d, report);
    if (l.palette.size() != 256) {
        report.fail(asset.file, "palette size", "256 entries", std::to_string(l.palette.size()));
    } else {
        if (l.palette[scroller_transparent_entry] != std::array<std::uint8_t, 3>{0, 0, 0})
            report.fail(asset.file, "palette entry 255", "black",
                        rgb_text(l.palette[255][0], l.palette[255][1], l.palette[255][2]));
        std::string transparent, translucent;
        for (std::size_t i = 0; i < l.transparency.size(); ++i) {
            std::string& list = l.transparency[i] == 0 ? transparent : translucent;
            if (l.transparency[i] == 0 || l.transparency[i] != 255) {
                if (!list.empty()) list += ' ';
                list += std::to_string(i);
            }
        }
        if (transparent != std::to_string(scroller_transparent_entry))
            report.fail(asset.file, "fully transparent palette entries", "exactly entry 255",
                        transparent.empty() ? "none" : "entries " + transparent);
        if (!translucent.empty())
            report.fail(asset.file, "palette opacity", "every other entry opaque",
                        "translucent entries " + translucent);
    }
    check_atlas(asset, d, scroller_font_cell, scroller_font_glyphs, true, report);
    check_white_glyphs(asset, d, report);
}

void check_small_font(const AssetImage& asset, const Decoded& d, Report& report) {
    require_transparency_chunk(asset, d, report);
    check_atlas(asset, d, small_font_cell, small_font_glyphs, false, report);
}

void check_cube(const AssetImage& asset, const Decoded& d, const CubeColour& face, Report& report) {
    const int n = d.width;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::uint8_t* p = d.at(x, y);
            if (x + y == n - 1) {
                if (!same_rgb(p, cube_diagonal_colour) || p[3] != 255) {
                    report.fail(asset.file, "diagonal", "opaque " + rgb_text(cube_diagonal_colour),
                                pixel_text(p) + at_text(x, y));
                    return;
                }
                continue;
            }
            // Offsets from the centre, doubled; pixels near a triangle edge or the
            // diagonal are left to the artist.
            const int dx = 2 * x + 1 - n, dy = 2 * y + 1 - n;
            const int ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
            if (ax - ay < 6 && ay - ax < 6) continue;
            if (std::abs(x + y - (n - 1)) < 3) continue;
            const bool top_or_bottom = ay > ax;
            const CubeColour& want = top_or_bottom ? face : cube_side_colour;
            if (!same_rgb(p, want.colour) || p[3] != want.alpha) {
                report.fail(asset.file, top_or_bottom ? "top and bottom triangles" : "left and right triangles",
                            rgb_text(want.colour) + " alpha " + std::to_string(want.alpha),
                            pixel_text(p) + at_text(x, y));
                return;
            }
        }
}

void check_test_pattern(const AssetImage& asset, const Decoded& d, Report& report) {
    struct Corner {
        const char* name;
        int x, y;
        bool r, g, b;
    };
    const int far = d.width - 5;
    const Corner corners[] = {{"top-left corner", 4, 4, true, false, false},
                              {"top-right corner", far, 4, true, true, true},
                              {"bottom-left corner", 4, far, false, true, false},
                              {"bottom-right corner", far, far, false, false, true}};
    const char* names[] = {"red", "white", "green", "blue"};
    for (int i = 0; i < 4; ++i) {
        const Corner& c = corners[i];
        const std::uint8_t* p = d.at(c.x, c.y);
        auto level = [](int v, bool high) { return high ? v >= 192 : v <= 64; };
        if (p[3] != 255 || !level(p[0], c.r) || !level(p[1], c.g) || !level(p[2], c.b))
            report.fail(asset.file, c.name, std::string("opaque ") + names[i], pixel_text(p) + at_text(c.x, c.y));
    }
    bool shade = false;
    std::set<int> greys;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const std::uint8_t* p = d.at(x, y);
            shade = shade || (same_rgb(p, {0, 0, 0}) && p[3] == test_pattern_shade_alpha);
            if (p[3] == 255 && p[0] == p[1] && p[1] == p[2]) greys.insert(p[0]);
        }
    if (!shade)
        report.fail(asset.file, "translucent areas", "black at alpha " + std::to_string(test_pattern_shade_alpha),
                    "none");
    if (greys.size() < 64)
        report.fail(asset.file, "grey gradient", "at least 64 opaque grey levels", std::to_string(greys.size()));
}

void check_panel(const AssetImage& asset, const Decoded& d, Report& report) {
    require_opaque(asset, d, report);
    for (int x : {0, d.width - 1})
        for (int y = 0; y < d.height; ++y)
            if (!same_rgb(d.at(x, y), panel_background)) {
                report.fail(asset.file, "outermost columns", rgb_text(panel_background),
                            pixel_text(d.at(x, y)) + at_text(x, y));
                return;
            }
}

void check_bar(const AssetImage& asset, const Decoded& bar, const Decoded& panel, Report& report) {
    const std::uint8_t* p = bar.at(0, 0);
    if (!same_rgb(p, panel_background) || p[3] != 255)
        report.fail(asset.file, "colour", "opaque " + rgb_text(panel_background), pixel_text(p));
    if (panel.usable) {
        const std::uint8_t* edge = panel.at(0, 0);
        if (!same_rgb(p, {edge[0], edge[1], edge[2]}))
            report.fail(asset.file, "colour", "the panel's edge colour " + rgb_text(edge[0], edge[1], edge[2]),
                        rgb_text(p[0], p[1], p[2]));
    }
}

// Every image of the folder, decoded, by its position in the embedded list.
enum ImageIndex {
#define IMAGE_INDEX(name, file, slot) name##_index,
    INVITATION_EMBEDDED_IMAGES(IMAGE_INDEX)
#undef IMAGE_INDEX
};
using DecodedSet = Decoded[asset_image_count];

// The rules of each image beyond its shape, by its name in the embedded list.
void check_image_test_pattern(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_test_pattern(a, set[test_pattern_index], r);
}
void check_image_small_font(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_small_font(a, set[small_font_index], r);
}
void check_image_panel(const AssetImage& a, const DecodedSet& set, Report& r) { check_panel(a, set[panel_index], r); }
// The strip under the panel continues the panel.
void check_image_bar(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_bar(a, set[bar_index], set[panel_index], r);
}
void check_image_cube_a(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_cube(a, set[cube_a_index], cube_a_colour, r);
}
void check_image_cube_b(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_cube(a, set[cube_b_index], cube_b_colour, r);
}
void check_image_cube_c(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_cube(a, set[cube_c_index], cube_c_colour, r);
}
void check_image_page_font(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_page_font(a, set[page_font_index], r);
}
void check_image_scroller_font(const AssetImage& a, const DecodedSet& set, Report& r) {
    check_scroller_font(a, set[scroller_font_index], r);
}
void check_image_final_picture(const AssetImage& a, const DecodedSet& set, Report& r) {
    require_opaque(a, set[final_picture_index], r);
}

using ImageRule = void (*)(const AssetImage&, const DecodedSet&, Report&);
#define IMAGE_RULE(name, file, slot) check_image_##name,
constexpr ImageRule image_rules[] = {INVITATION_EMBEDDED_IMAGES(IMAGE_RULE)};
#undef IMAGE_RULE
static_assert(sizeof image_rules / sizeof image_rules[0] == asset_image_count);

}  // namespace

std::vector<std::string> check_asset_folder(const std::string& folder) {
    std::vector<std::string> lines;
    Report report{lines};
    DecodedSet images;
    for (int i = 0; i < asset_image_count; ++i) images[i] = load(folder, asset_images[i], report);
    for (int i = 0; i < asset_image_count; ++i)
        if (images[i].usable) image_rules[i](asset_images[i], images, report);
    return lines;
}
