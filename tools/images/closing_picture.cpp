// The closing picture: "NORVALE" in extruded chrome over a sunset, a striped sun
// sinking behind two mountain ranges, a glowing perspective grid on the ground and
// a starry sky, with the year in neon below the name.
//
// The show stretches this 1024 × 768 picture over 751 × 704 canvas units, so the
// scene is laid out in those display units: round things stay round on screen.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "asset_rules.h"
#include "block_glyphs.h"
#include "canvas.h"
#include "image_set.h"
#include "lettering.h"

namespace {

constexpr int image_width = final_picture_width, image_height = final_picture_height;
constexpr float display_width = 751, display_height = 704;  // the picture area it is stretched over
constexpr float to_display_x = display_width / image_width, to_display_y = display_height / image_height;

constexpr float horizon = 470;  // display units from the top
constexpr float sun_x = display_width / 2, sun_y = 455, sun_radius = 160;

struct Ridge {
    float x, height;  // height above the horizon
};
constexpr Ridge far_range[] = {{0, 120},   {40, 165},  {95, 122},  {140, 182}, {200, 110}, {250, 72},
                               {300, 44},  {340, 22},  {375, 12},  {410, 26},  {450, 50},  {500, 84},
                               {545, 126}, {600, 176}, {650, 134}, {700, 190}, {751, 142}};
constexpr Ridge near_range[] = {{0, 74},   {60, 98},  {130, 54}, {190, 30}, {240, 12}, {300, -6},
                                {460, -6}, {520, 26}, {580, 62}, {640, 38}, {700, 90}, {751, 68}};

// Height of a ridge line at x, and its slope.
template <std::size_t N>
float ridge_at(const Ridge (&r)[N], float x, float& slope) {
    for (std::size_t i = 1; i < N; ++i)
        if (x <= r[i].x || i == N - 1) {
            slope = (r[i].height - r[i - 1].height) / (r[i].x - r[i - 1].x);
            return r[i - 1].height + slope * (x - r[i - 1].x);
        }
    return 0;
}

// Share of the pixel that lies below the ridge, from the perpendicular distance.
template <std::size_t N>
float mountain_cover(const Ridge (&r)[N], float x, float y, float pixel, float& depth) {
    float slope;
    const float top = horizon - ridge_at(r, x, slope);
    depth = (y - top) / std::sqrt(1 + slope * slope);
    return std::clamp(0.5f + depth / pixel, 0.0f, 1.0f);
}

std::uint32_t hash(std::int32_t x, std::int32_t y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Stars on a jittered grid: most cells hold one, a few of them bright with a
// four-point sparkle.
float starlight(float x, float y) {
    constexpr float cell = 21;
    const int cx = static_cast<int>(std::floor(x / cell)), cy = static_cast<int>(std::floor(y / cell));
    float light = 0;
    for (int j = cy - 1; j <= cy + 1; ++j)
        for (int i = cx - 1; i <= cx + 1; ++i) {
            const std::uint32_t h = hash(i, j);
            if ((h & 0xff) > 150) continue;
            const float sx = (i + ((h >> 8) & 0xff) / 255.0f) * cell;
            const float sy = (j + ((h >> 16) & 0xff) / 255.0f) * cell;
            const float dx = x - sx, dy = y - sy;
            const float brightness = 0.35f + 0.65f * ((h >> 24) & 0x3f) / 63.0f;
            light += brightness * std::exp(-(dx * dx + dy * dy) / 0.9f);
            if ((h >> 30) == 3 && brightness > 0.7f)  // sparkle arms
                light += 0.5f * (std::exp(-std::abs(dy) / 0.45f - std::abs(dx) / 5.0f) +
                                 std::exp(-std::abs(dx) / 0.45f - std::abs(dy) / 5.0f));
        }
    return std::min(light, 1.0f);
}

Colour add(Colour c, Colour light, float amount) {
    return {std::min(1.0f, c.r + light.r * amount), std::min(1.0f, c.g + light.g * amount),
            std::min(1.0f, c.b + light.b * amount), 1};
}

Colour sky(float x, float y) {
    static const std::vector<GradientStop> stops = {{0.0f, rgb(6, 4, 26)},      {0.3f, rgb(28, 12, 66)},
                                                    {0.58f, rgb(92, 26, 112)},  {0.8f, rgb(206, 60, 120)},
                                                    {0.93f, rgb(250, 128, 96)}, {1.0f, rgb(255, 184, 110)}};
    Colour c = gradient(stops, y / horizon);
    c = add(c, rgb(255, 255, 255), starlight(x, y) * (1 - smoothstep(0.25f * horizon, 0.72f * horizon, y)));
    return c;
}

// The sun with its slits, which widen toward the horizon; returns coverage in `a`.
Colour sun(float x, float y, float pixel) {
    static const std::vector<GradientStop> stops = {
        {0.0f, rgb(255, 248, 160)}, {0.45f, rgb(255, 178, 70)}, {0.8f, rgb(255, 84, 112)}, {1.0f, rgb(240, 40, 140)}};
    const float d = std::sqrt((x - sun_x) * (x - sun_x) + (y - sun_y) * (y - sun_y)) - sun_radius;
    float cover = std::clamp(0.5f - d / pixel, 0.0f, 1.0f);
    // Slit k is centred at sun_y - 70 + 24 k and is 1.5 + 2.2 k units thick.
    const float first = sun_y - 70, spacing = 24;
    const float k = std::round((y - first) / spacing);
    if (k >= 0) {
        const float half = (1.5f + 2.2f * k) / 2;
        const float from_slit = std::abs(y - (first + k * spacing)) - half;
        cover *= std::clamp(0.5f + from_slit / pixel, 0.0f, 1.0f);
    }
    Colour c = gradient(stops, (y - (sun_y - sun_radius)) / (1.6f * sun_radius));
    c.a = cover;
    return c;
}

Colour ground(float x, float y, float pixel) {
    const float s = y - horizon;  // rows below the horizon
    Colour c = mix(rgb(30, 6, 52), rgb(5, 0, 16), smoothstep(0, 234, s));
    constexpr float depth_scale = 400, width_scale = 100;
    const float z = depth_scale / std::max(s, 0.01f);
    // Grid lines as distances in display units, faded where they crowd together.
    const float fz = z - std::floor(z) - 0.5f;
    const float across = std::abs(std::abs(fz) - 0.5f) * depth_scale / (z * z);
    const float row_gap = depth_scale / (z * z);
    const float wx = (x - sun_x) * z / width_scale;
    // Columns run toward the vanishing point: measure across them, not along x.
    const float slant = s / std::sqrt((x - sun_x) * (x - sun_x) + s * s + 1e-6f);
    const float along = std::abs(wx - std::round(wx)) * width_scale / z * slant;
    const float column_gap = width_scale / z * slant;
    auto line = [&](float dist, float gap) {
        const float core = std::clamp(1.1f - dist / pixel, 0.0f, 1.0f);
        const float glow = 0.45f * std::exp(-dist / 3.0f);
        return (core + glow) * smoothstep(3.0f, 14.0f, gap);
    };
    const float grid = std::min(1.0f, line(across, row_gap) + line(along, column_gap));
    const Colour grid_colour = mix(rgb(255, 120, 220), rgb(255, 60, 190), smoothstep(0, 200, s));
    c = add(c, grid_colour, grid * (0.35f + 0.65f * smoothstep(0, 60, s)));
    // Haze at the horizon and the sun's glow on the ground.
    c = add(c, rgb(255, 90, 150), 0.55f * std::exp(-s / 14));
    const float dx = (x - sun_x) / 90;
    c = add(c, rgb(255, 120, 80), 0.22f * std::exp(-dx * dx) * std::exp(-s / 90));
    return c;
}

Colour scene(float x, float y) {
    constexpr float pixel = 0.9f;  // a pixel's size in display units, for edge smoothing
    if (y >= horizon + pixel) return ground(x, y, pixel);
    Colour c = sky(x, y);
    // Glow of the sun into the sky.
    const float r = std::sqrt((x - sun_x) * (x - sun_x) + (y - sun_y) * (y - sun_y));
    c = add(c, rgb(255, 110, 90), 0.35f * std::exp(-std::max(0.0f, r - sun_radius) / 40));
    const Colour s = sun(x, y, pixel);
    c = over(c, {s.r, s.g, s.b, 1}, s.a);
    float depth;
    const float far = mountain_cover(far_range, x, y, pixel, depth);
    if (far > 0) {
        Colour m = mix(rgb(96, 30, 116), rgb(52, 14, 78), smoothstep(horizon - 190, horizon, y));
        m = mix(m, rgb(255, 130, 180), 0.55f * (1 - smoothstep(0.5f, 3.0f, depth)));  // rim light
        c = over(c, m, far);
    }
    const float near = mountain_cover(near_range, x, y, pixel, depth);
    if (near > 0) {
        Colour m = mix(rgb(44, 10, 66), rgb(20, 4, 36), smoothstep(horizon - 90, horizon, y));
        m = mix(m, rgb(255, 110, 170), 0.45f * (1 - smoothstep(0.5f, 2.5f, depth)));
        c = over(c, m, near);
    }
    if (y > horizon - pixel)
        c = mix(c, ground(x, y, pixel), std::clamp((y - horizon + pixel) / (2 * pixel), 0.0f, 1.0f));
    return c;
}

}  // namespace

PngImage draw_final_picture() {
    Canvas canvas = make_canvas(image_width, image_height, {});
    for (int py = 0; py < image_height; ++py)
        for (int px = 0; px < image_width; ++px)
            canvas.at(px, py) = scene((px + 0.5f) * to_display_x, (py + 0.5f) * to_display_y);

    // Letter sizes are given in display units and converted to picture pixels.
    auto placement = [](float left, float top, float unit_x, float unit_y, float shear = 0) {
        return place(left / to_display_x, top / to_display_y, unit_x / to_display_x, unit_y / to_display_y, shear);
    };

    constexpr float title_unit_x = 16.5f, title_unit_y = 20, title_top = 52;
    const float title_width = (6 * 6 + 5) * title_unit_x;
    const std::vector<GradientStop> chrome = {
        {0.0f, rgb(150, 196, 255)}, {0.22f, rgb(214, 236, 255)}, {0.47f, rgb(255, 255, 255)}, {0.5f, rgb(56, 24, 72)},
        {0.58f, rgb(120, 40, 110)}, {0.8f, rgb(255, 120, 120)},  {1.0f, rgb(255, 226, 150)}};
    LetteringStyle title{[&](float t) { return gradient(chrome, t); },
                         4,
                         {6, 10},
                         rgb(110, 60, 150),
                         rgb(24, 8, 44),
                         2.5f,
                         rgb(10, 2, 24),
                         0,
                         {}};
    draw_lettering(
        canvas,
        block_text("NORVALE", placement((display_width - title_width) / 2, title_top, title_unit_x, title_unit_y)),
        title);

    constexpr float year_unit = 11.5f, year_top = 196;
    const float year_width = (3 * 6 + 5) * year_unit;
    const std::vector<GradientStop> neon = {
        {0.0f, rgb(255, 246, 252)}, {0.35f, rgb(255, 150, 214)}, {0.7f, rgb(255, 70, 160)}, {1.0f, rgb(255, 150, 90)}};
    LetteringStyle year{
        [&](float t) { return gradient(neon, t); }, 2, {0, 0}, {}, {}, 2, rgb(50, 0, 44), 9, rgb(255, 40, 170, 150)};
    draw_lettering(
        canvas,
        block_text("2008", placement((display_width - year_width) / 2 + 8, year_top, year_unit, year_unit, -0.22f)),
        year);

    constexpr float sign_unit = 2.6f;
    const float sign_width = (11 * 6 + 5) * sign_unit;
    LetteringStyle sign{[](float) { return rgb(150, 230, 255); }, 0, {0, 0}, {}, {}, 1, rgb(4, 0, 14), 0, {}};
    draw_lettering(canvas,
                   block_text("POLAR STATIC", placement(display_width - sign_width - 16,
                                                        display_height - 5 * sign_unit - 14, sign_unit, sign_unit)),
                   sign);
    return truecolour_png(canvas);
}
