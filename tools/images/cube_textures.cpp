// The three translucent cube faces: four triangles meeting in the centre, the
// top and bottom ones in the cube's colour, the sides light grey, and a one-pixel
// mid-grey diagonal from the top-right to the bottom-left corner.
#include "asset_rules.h"
#include "image_set.h"

namespace {

PngImage draw_cube(const CubeColour& face) {
    PngImage image{cube_size, cube_size, png_truecolour_alpha, {}, {}, {}, false, false};
    image.samples.reserve(cube_size * cube_size * 4);
    auto put = [&](Rgb c, int alpha) {
        image.samples.push_back(static_cast<std::uint8_t>(c.r));
        image.samples.push_back(static_cast<std::uint8_t>(c.g));
        image.samples.push_back(static_cast<std::uint8_t>(c.b));
        image.samples.push_back(static_cast<std::uint8_t>(alpha));
    };
    for (int y = 0; y < cube_size; ++y)
        for (int x = 0; x < cube_size; ++x) {
            if (x + y == cube_size - 1) {
                put(cube_diagonal_colour, 255);
                continue;
            }
            // Twice the offset from the centre, so the centre lies on whole numbers.
            const int dx = 2 * x + 1 - cube_size, dy = 2 * y + 1 - cube_size;
            const bool top_or_bottom = (dy < 0 ? -dy : dy) > (dx < 0 ? -dx : dx);
            if (top_or_bottom) put(face.colour, face.alpha);
            else
                put(cube_side_colour.colour, cube_side_colour.alpha);
        }
    return image;
}

}  // namespace

PngImage draw_cube_a() { return draw_cube(cube_a_colour); }
PngImage draw_cube_b() { return draw_cube(cube_b_colour); }
PngImage draw_cube_c() { return draw_cube(cube_c_colour); }
