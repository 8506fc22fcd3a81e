// The test pattern: a grey ramp, coloured corner squares and translucent black
// bands, for checking orientation, colour order and alpha at a glance.
#include "asset_rules.h"
#include "canvas.h"
#include "image_set.h"

PngImage draw_test_pattern() {
    constexpr int size = test_pattern_size, corner = 48, band_from = 112, band_to = 144;
    Canvas canvas = make_canvas(size, size, {});
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Colour c = rgb(x, x, x);  // ramp from black on the left to white on the right
            if ((x % 32 == 0 || y % 32 == 0) && x > 0 && y > 0) c = mix(c, rgb(128, 128, 128), 0.5f);
            const bool left = x < corner, right = x >= size - corner, top = y < corner, bottom = y >= size - corner;
            if (top && left) c = rgb(255, 0, 0);
            else if (top && right)
                c = rgb(255, 255, 255);
            else if (bottom && left)
                c = rgb(0, 255, 0);
            else if (bottom && right)
                c = rgb(0, 0, 255);
            else if ((y >= band_from && y < band_to) || (x >= band_from && x < band_to))
                c = rgb(0, 0, 0, test_pattern_shade_alpha);
            canvas.at(x, y) = c;
        }
    return truecolour_alpha_png(canvas);
}
