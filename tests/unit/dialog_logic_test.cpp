// The launch dialog's logic over a scripted platform: offered modes, preselection,
// the Fullscreen box, Run, Cancel and the dialog that could not be created.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/dialog_logic.h"
#include "runtime/display_settings.h"

namespace {

// A display and a dialog with the controls of template 101: a resolution box and
// the Fullscreen box; the option ids name nothing.
struct ScriptedDialog {
    std::vector<PlatformMode> display_modes;
    std::vector<std::string> items;
    std::int32_t selection = -1;
    int fullscreen_checked = 0;
    int ended_with = -2;
    int enumerations = 0;
};
ScriptedDialog scripted;

bool scripted_mode(std::int32_t index, PlatformMode* mode) {
    ++scripted.enumerations;
    if (index < 0 || index >= static_cast<std::int32_t>(scripted.display_modes.size())) return false;
    *mode = scripted.display_modes[static_cast<std::size_t>(index)];
    return true;
}
void scripted_add(int control, const char* text) {
    if (control == control_resolution) scripted.items.emplace_back(text);
}
void scripted_select(int control, std::int32_t index) {
    if (control == control_resolution) scripted.selection = index;
}
std::int32_t scripted_selection(int control) { return control == control_resolution ? scripted.selection : 0; }
void scripted_check(int control, int checked) {
    if (control == control_fullscreen) scripted.fullscreen_checked = checked;
}
int scripted_checked(int control) { return control == control_fullscreen ? scripted.fullscreen_checked : 0; }
void scripted_enable(int, bool) {}
void scripted_end(int result) { scripted.ended_with = result; }

const DialogPlatform platform{scripted_mode,  scripted_add,     scripted_select, scripted_selection,
                              scripted_check, scripted_checked, scripted_enable, scripted_end};

// What the viewer does between opening and the end of the dialog.
void (*viewer)() = nullptr;

int scripted_runner() {
    on_dialog_opened(platform);
    if (viewer) viewer();
    return scripted.ended_with;
}

class LaunchDialog : public ::testing::Test {
protected:
    void SetUp() override {
        scripted = {};
        viewer = nullptr;
        mode_list.count = 0;  // one dialog per process in the show; one per test here
        reset_display_settings();
    }
};

void press(int control) { on_button(platform, control); }
void click_fullscreen() { on_fullscreen_clicked(platform); }

TEST_F(LaunchDialog, RunWithoutChangesKeepsTheOfferedDefaultFullScreen) {
    scripted.display_modes = {{800, 600, 32}, {1024, 768, 32}, {1280, 1024, 32}};
    viewer = [] {
        EXPECT_EQ(scripted.selection, 1);
        EXPECT_EQ(scripted.fullscreen_checked, 1);
        press(control_run);
    };
    EXPECT_TRUE(run_launch_dialog_with(scripted_runner));
    EXPECT_EQ(scripted.items, (std::vector<std::string>{"800 * 600", "1024 * 768", "1280 * 1024"}));
    EXPECT_EQ(screen_width, 1024);
    EXPECT_EQ(screen_height, 768);
    EXPECT_TRUE(fullscreen);
}

TEST_F(LaunchDialog, OffersEachRunOfOneSizeOnceAndOnly32BitModes) {
    scripted.display_modes = {{1024, 768, 32}, {1024, 768, 32}, {1024, 768, 16}, {800, 600, 16},
                              {800, 600, 32},  {800, 600, 32},  {1024, 768, 32}, {640, 480, 8}};
    viewer = [] {
        EXPECT_EQ(scripted.items, (std::vector<std::string>{"1024 * 768", "800 * 600", "1024 * 768"}));
        EXPECT_EQ(mode_list.count, 3);
        EXPECT_EQ(scripted.selection, 2);     // the later of the two matching items
        EXPECT_EQ(scripted.enumerations, 9);  // up to the first index with no mode
        scripted.selection = 0;               // the earlier one gives the same size
        press(control_run);
    };
    EXPECT_TRUE(run_launch_dialog_with(scripted_runner));
    EXPECT_EQ(screen_width, 1024);
    EXPECT_EQ(screen_height, 768);
}

TEST_F(LaunchDialog, SelectedItemGivesItsSize) {
    scripted.display_modes = {{1024, 768, 32}, {800, 600, 32}, {1024, 768, 32}};
    viewer = [] {
        scripted.selection = 1;
        press(control_resolution);  // not a button: nothing happens
        press(control_run);
    };
    EXPECT_TRUE(run_launch_dialog_with(scripted_runner));
    EXPECT_EQ(screen_width, 800);
    EXPECT_EQ(screen_height, 600);
}

TEST_F(LaunchDialog, ListStopsAt4096Entries) {
    for (std::int32_t i = 0; i < mode_list_capacity + 10; ++i) scripted.display_modes.push_back({640 + i, 480, 32});
    viewer = [] {
        EXPECT_EQ(mode_list.count, mode_list_capacity);
        EXPECT_EQ(scripted.items.size(), static_cast<std::size_t>(mode_list_capacity));
        EXPECT_EQ(scripted.enumerations, mode_list_capacity);  // nothing asked once full
        EXPECT_EQ(scripted.items.back(), std::to_string(640 + mode_list_capacity - 1) + " * 480");
        scripted.selection = mode_list_capacity - 1;
        press(control_run);
    };
    EXPECT_TRUE(run_launch_dialog_with(scripted_runner));
    EXPECT_EQ(screen_width, 640 + mode_list_capacity - 1);
}

TEST_F(LaunchDialog, FullscreenBoxDecidesWindowOrFullScreen) {
    scripted.display_modes = {{1024, 768, 32}};
    viewer = [] {
        scripted.fullscreen_checked = 0;  // the box toggles itself, then reports
        click_fullscreen();
        press(control_run);
    };
    EXPECT_TRUE(run_launch_dialog_with(scripted_runner));
    EXPECT_FALSE(fullscreen);

    // Opening windowed leaves the box unchecked; checking it again gives full screen.
    scripted = {};
    scripted.display_modes = {{1024, 768, 32}};
    mode_list.count = 0;
    viewer = [] {
        EXPECT_EQ(scripted.fullscreen_checked, 0);
        for (int clicks = 0; clicks < 3; ++clicks) {
            scripted.fullscreen_checked ^= 1;
            click_fullscreen();
        }
        press(control_run);
    };
    EXPECT_TRUE(run_launch_dialog_with(scripted_runner));
    EXPECT_TRUE(fullscreen);
}

TEST_F(LaunchDialog, CancelLeavesEverythingAsItWas) {
    scripted.display_modes = {{800, 600, 32}};
    viewer = [] {
        scripted.selection = 0;
        scripted.fullscreen_checked = 0;
        press(control_cancel);
    };
    EXPECT_FALSE(run_launch_dialog_with(scripted_runner));
    EXPECT_EQ(scripted.ended_with, dialog_result_cancel);
    EXPECT_EQ(screen_width, default_screen_width);
    EXPECT_EQ(screen_height, default_screen_height);
    EXPECT_EQ(fullscreen, default_fullscreen);
}

TEST_F(LaunchDialog, DialogThatCouldNotBeCreatedRunsWithTheSettings) {
    screen_width = 640;
    screen_height = 480;
    fullscreen = false;
    EXPECT_TRUE(run_launch_dialog_with([] { return dialog_result_not_created; }));
    EXPECT_EQ(screen_width, 640);
    EXPECT_EQ(screen_height, 480);
    EXPECT_FALSE(fullscreen);
}

TEST_F(LaunchDialog, RunReadsOptionsFromControlsThatDoNotExist) {
    scripted.display_modes = {{1024, 768, 32}};
    DisplaySettings settings{1024, 768, 32, 1, 1, 1, 1};
    edited_settings = &settings;
    on_dialog_opened(platform);
    press(control_run);
    EXPECT_EQ(scripted.ended_with, dialog_result_run);
    EXPECT_EQ(settings.option_1004, 0);
    EXPECT_EQ(settings.option_1005, 0);
    EXPECT_EQ(settings.option_1006, 0);
    EXPECT_EQ(settings.bits_per_pixel, 32);
    EXPECT_EQ(settings.windowed, 1);
    edited_settings = nullptr;
}

TEST_F(LaunchDialog, RunWithNothingSelectedKeepsTheSize) {
    // No modes at all, then modes that do not include the current size.
    for (auto modes : {std::vector<PlatformMode>{}, std::vector<PlatformMode>{{800, 600, 32}, {640, 480, 16}}}) {
        SetUp();
        scripted.display_modes = modes;
        screen_width = 1280;
        screen_height = 720;
        viewer = [] {
            EXPECT_EQ(scripted.selection, -1);
            press(control_run);
        };
        EXPECT_TRUE(run_launch_dialog_with(scripted_runner));
        EXPECT_EQ(screen_width, 1280);
        EXPECT_EQ(screen_height, 720);
        EXPECT_TRUE(fullscreen);
    }
}

}  // namespace
