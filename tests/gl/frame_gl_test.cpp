// Whole frames of the show on real OpenGL at key beats, compared with reference
// pictures kept in tests/capture/reference, the same pictures the capture program
// must produce. Set INVITATION_UPDATE_REFERENCE=1 to write the references anew from
// the current build (then look at them before keeping).
#include <gtest/gtest.h>

#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "offscreen_gl.h"
#include "png_io.h"
#include "render/frame.h"
#include "render/particle_field.h"
#include "render/particle_random.h"
#include "show_clock.h"

namespace {

constexpr unsigned field_seed = 2008;
constexpr int warm_up_calls = 200;  // the field fills in 189 calls
// A pixel differs when a channel is off by more than this; a small share may.
constexpr int channel_tolerance = 8;
constexpr double differing_share_allowed = 0.001;

const std::filesystem::path reference_dir = std::filesystem::path(__FILE__).parent_path().parent_path() / "capture" / "reference";

struct KeyTime {
    const char* label;
    std::int64_t ms;
};
void PrintTo(const KeyTime& key, std::ostream* out) { *out << "beat " << key.label << " (" << key.ms << " ms)"; }

// A frame at `ms` over a field grown from a fixed seed for warm_up_calls calls.
std::vector<std::uint8_t> frame_pixels(std::int64_t ms) {
    std::memset(&particle_field, 0, sizeof particle_field);
    seed_particle_random(field_seed);
    set_clock_ms(ms);
    for (int k = 0; k < warm_up_calls; ++k) draw_particle_field();
    draw_frame();
    return read_canvas_pixels();
}

class FrameGl : public ::testing::TestWithParam<KeyTime> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(open_offscreen_canvas(1024, 768, &error)) << error;
    }
};

TEST_P(FrameGl, MatchesTheReferencePicture) {
    const KeyTime key = GetParam();
    const auto pixels = frame_pixels(key.ms);
    const int w = canvas_window_width(), h = canvas_window_height();
    const std::string name = std::string("beat_") + key.label + ".png";
    std::string error;
    std::filesystem::create_directories(TEST_OUTPUT_DIR);
    write_png_rgba(std::string(TEST_OUTPUT_DIR) + "/" + name, w, h, pixels.data(), error);

    const std::string reference_path = (reference_dir / name).string();
    if (std::getenv("INVITATION_UPDATE_REFERENCE")) {
        std::filesystem::create_directories(reference_dir);
        ASSERT_TRUE(write_png_rgba(reference_path, w, h, pixels.data(), error)) << error;
        GTEST_SKIP() << "wrote " << reference_path;
    }
    int rw = 0, rh = 0;
    std::vector<std::uint8_t> reference;
    ASSERT_TRUE(read_png_rgba(reference_path, rw, rh, reference, error)) << error;
    ASSERT_EQ(rw, w);
    ASSERT_EQ(rh, h);
    std::size_t differing = 0;
    int worst = 0;
    for (std::size_t p = 0; p < pixels.size(); p += 4) {
        int off = 0;
        for (int c = 0; c < 3; ++c) off = std::max(off, std::abs(pixels[p + c] - reference[p + c]));
        worst = std::max(worst, off);
        differing += off > channel_tolerance;
    }
    const double share = static_cast<double>(differing) / (w * h);
    EXPECT_LE(share, differing_share_allowed)
        << differing << " pixels differ (worst channel difference " << worst << "); see " << TEST_OUTPUT_DIR << "/"
        << name;
}

INSTANTIATE_TEST_SUITE_P(KeyBeats, FrameGl,
                         ::testing::Values(KeyTime{"0", 0}, KeyTime{"12", 6000}, KeyTime{"37_2", 18600},
                                           KeyTime{"100", 50000}, KeyTime{"220", 110000},
                                           KeyTime{"400", 200000}),
                         [](const auto& info) { return std::string("beat_") + info.param.label; });

}  // namespace
