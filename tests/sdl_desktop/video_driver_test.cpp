// Which video drivers may carry the show: headless ones only when asked for.
#include <gtest/gtest.h>

#include "platform/sdl_desktop/video_driver.h"

namespace {

TEST(VideoDriver, HeadlessDriversOnlyWhenSdlVideoDriverNamesThem) {
    struct Case {
        const char* driver;
        const char* requested;
        bool allowed;
    };
    const Case cases[] = {
        // SDL's fallback with no display: refused unless asked for.
        {"offscreen", nullptr, false},
        {"offscreen", "", false},
        {"dummy", nullptr, false},
        {"offscreen", "x11", false},
        {"offscreen", "offscreenx", false},
        {"offscreen", "offscreen", true},
        {"dummy", "dummy", true},
        {"offscreen", "x11,offscreen", true},
        {"dummy", "OFFSCREEN,Dummy", true},
        {"offscreen", "dummy", false},
        // Drivers that show something, whatever was asked for.
        {"x11", nullptr, true},
        {"wayland", "x11", true},
        {"KMSDRM", nullptr, true},
        {"windib", nullptr, true},
        {nullptr, nullptr, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(video_driver_allowed(c.driver, c.requested), c.allowed)
            << (c.driver ? c.driver : "(none)") << " with SDL_VIDEODRIVER=" << (c.requested ? c.requested : "(unset)");
    }
}

}  // namespace
