// Whole frames of the show on real OpenGL at key beats, compared with reference
// pictures kept in tests/capture/reference, the same pictures the capture program
// must produce. Set INVITATION_UPDATE_REFERENCE=1 to write the references anew from
// the current build (then look at them before keeping).
#include <gtest/gtest.h>

#include <SDL_opengl.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>

#include "offscreen_gl.h"
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

const std::filesystem::path reference_dir =
    std::filesystem::path(__FILE__).parent_path().parent_path() / "capture" / "reference";

struct KeyTime {
    const char* label;
    std::int64_t ms;
};
void PrintTo(const KeyTime& key, std::ostream* out) { *out << "beat " << key.label << " (" << key.ms << " ms)"; }

// A frame at `ms` over a field grown from a fixed seed for warm_up_calls calls.
RgbaImage frame_at(std::int64_t ms) {
    reset_particle_field();
    seed_particle_random(field_seed);
    set_clock_ms(ms);
    for (int k = 0; k < warm_up_calls; ++k) draw_particle_field();
    draw_frame();
    return read_canvas();
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
    const RgbaImage frame = frame_at(key.ms);
    const std::string name = std::string("beat_") + key.label + ".png";
    std::filesystem::create_directories(TEST_OUTPUT_DIR);
    write_image(std::string(TEST_OUTPUT_DIR) + "/" + name, frame);

    const std::string reference_path = (reference_dir / name).string();
    if (std::getenv("INVITATION_UPDATE_REFERENCE")) {
        std::filesystem::create_directories(reference_dir);
        ASSERT_TRUE(write_image(reference_path, frame));
        GTEST_SKIP() << "wrote " << reference_path;
    }
    RgbaImage reference;
    ASSERT_TRUE(read_image(reference_path, reference));
    EXPECT_TRUE(images_match(frame, reference, channel_tolerance, differing_share_allowed))
        << "see " << TEST_OUTPUT_DIR << "/" << name;
}

INSTANTIATE_TEST_SUITE_P(KeyBeats, FrameGl,
                         ::testing::Values(KeyTime{"0", 0}, KeyTime{"12", 6000}, KeyTime{"37_2", 18600},
                                           KeyTime{"100", 50000}, KeyTime{"220", 110000}, KeyTime{"400", 200000}),
                         [](const auto& info) { return std::string("beat_") + info.param.label; });

}  // namespace
