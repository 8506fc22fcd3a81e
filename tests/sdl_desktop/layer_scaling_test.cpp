// When the compatibility layer's scaling buffer is needed: full screen away from
// the desktop's own size, and windows the viewer asked the layer to resize.
#include <gtest/gtest.h>

#include "platform/sdl_desktop/layer_scaling.h"

namespace {

constexpr DesktopSize wide_desktop{1920, 1080};

TEST(LayerScaling, FullScreenDrawsStraightOnlyAtTheDesktopsOwnSize) {
    struct Case {
        VideoRequest request;
        DesktopSize desktop;
        bool needed;
    };
    const Case cases[] = {
        {{1920, 1080, true}, wide_desktop, false},
        {{1024, 768, true}, {1024, 768}, false},
        // Letterboxed in the desktop's mode rather than switching the display.
        {{1024, 768, true}, wide_desktop, true},
        {{1280, 1024, true}, wide_desktop, true},
        {{2560, 1440, true}, wide_desktop, true},
        // One side alike is not the same size.
        {{1920, 1200, true}, wide_desktop, true},
        {{1440, 1080, true}, wide_desktop, true},
        // A turned display reports its size turned.
        {{1080, 1920, true}, wide_desktop, true},
        {{1080, 1920, true}, {1080, 1920}, false},
        // Before SDL tells, or when it cannot, the scaling is kept.
        {{1024, 768, true}, unknown_desktop, true},
        {{1024, 768, true}, {1024, 0}, true},
        {{0, 0, true}, unknown_desktop, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(layer_scaling_needed(c.request, c.desktop, nullptr), c.needed)
            << c.request.width << "x" << c.request.height << " full screen on a " << c.desktop.width << "x"
            << c.desktop.height << " desktop";
    }
}

TEST(LayerScaling, WindowsHaveTheSizeAskedForUnlessTheViewerResizesThem) {
    for (DesktopSize desktop : {wide_desktop, DesktopSize{800, 600}, unknown_desktop}) {
        for (VideoRequest request : {VideoRequest{1024, 768, false}, VideoRequest{1920, 1080, false}}) {
            EXPECT_FALSE(layer_scaling_needed(request, desktop, nullptr))
                << request.width << "x" << request.height << " window on " << desktop.width << "x" << desktop.height;
        }
    }
    struct Case {
        const char* window_scaling;
        bool needed;
    };
    const Case cases[] = {
        {"2", true},
        {"1.5", true},
        {"0.5", true},
        {"2x", true},
        // Values the layer treats as 1: the window keeps its size.
        {"1", false},
        {"1.0", false},
        {"0", false},
        {"-2", false},
        {"", false},
        {"big", false},
        {"nan", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(layer_scaling_needed({1024, 768, false}, wide_desktop, c.window_scaling), c.needed)
            << "SDL12COMPAT_WINDOW_SCALING=" << c.window_scaling;
    }
    // Full screen is not a window: the layer never resizes it by that factor.
    EXPECT_FALSE(layer_scaling_needed({1920, 1080, true}, wide_desktop, "2"));
}

TEST(LayerScaling, TheLayerIsKnownByItsVersionNumber) {
    EXPECT_TRUE(is_compat_layer_version(1, 2, 50));
    EXPECT_TRUE(is_compat_layer_version(1, 2, 60));
    EXPECT_TRUE(is_compat_layer_version(1, 2, 69));
    // SDL 1.2 itself, the browser's emulation, SDL2 and later.
    EXPECT_FALSE(is_compat_layer_version(1, 2, 15));
    EXPECT_FALSE(is_compat_layer_version(1, 2, 49));
    EXPECT_FALSE(is_compat_layer_version(1, 3, 0));
    EXPECT_FALSE(is_compat_layer_version(2, 0, 60));
}

}  // namespace
