// The frame pipeline between the drawing thread and the writers: one writer
// keeps the order, several write every frame once, a failing write stops the
// drawing with its reason; and the PNG encoder and the video's repacking turn
// OpenGL's bottom-first rows into a picture the right way up with the same pixels.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "frame_pipeline.h"
#include "png_frame.h"
#include "test_image.h"
#include "video_encoder.h"

namespace {

constexpr std::size_t frame_size = 64;

// Draws `count` frames (each buffer filled with its index) through the pipeline.
bool run_frames(FramePipeline& pipeline, std::int64_t count, std::string& error) {
    for (std::int64_t k = 0; k < count; ++k) {
        const int slot = take_free_frame(pipeline, k);
        if (slot < 0) {
            error = pipeline_error(pipeline);
            stop_pipeline(pipeline);
            return false;
        }
        std::fill(pipeline.frames[slot].pixels.begin(), pipeline.frames[slot].pixels.end(),
                  static_cast<std::uint8_t>(k));
        queue_frame(pipeline, slot);
    }
    return finish_pipeline(pipeline, error);
}

TEST(FramePipeline, OneWriterTakesTheFramesInOrder) {
    FramePipeline pipeline;
    std::vector<std::int64_t> seen;
    start_pipeline(pipeline, 1, 3, frame_size, [&](const Frame& frame, std::string& error) {
        if (frame.pixels[0] != static_cast<std::uint8_t>(frame.index)) error = "the buffer holds another frame";
        seen.push_back(frame.index);
        std::this_thread::sleep_for(std::chrono::microseconds(frame.index % 3 * 200));
        return error.empty();
    });
    std::string error;
    ASSERT_TRUE(run_frames(pipeline, 200, error)) << error;
    ASSERT_EQ(seen.size(), 200u);
    for (std::size_t k = 0; k < seen.size(); ++k) EXPECT_EQ(seen[k], static_cast<std::int64_t>(k));
    EXPECT_EQ(frames_written(pipeline), 200);
}

TEST(FramePipeline, SeveralWritersWriteEveryFrameOnce) {
    FramePipeline pipeline;
    std::mutex mutex;
    std::multiset<std::int64_t> seen;
    std::atomic<int> busy{0};
    std::atomic<int> most_busy{0};
    start_pipeline(pipeline, 3, 5, frame_size, [&](const Frame& frame, std::string&) {
        const int now = ++busy;
        most_busy = std::max(most_busy.load(), now);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        --busy;
        const std::lock_guard lock(mutex);
        seen.insert(frame.index);
        return frame.pixels[frame_size - 1] == static_cast<std::uint8_t>(frame.index);
    });
    std::string error;
    ASSERT_TRUE(run_frames(pipeline, 300, error)) << error;
    ASSERT_EQ(seen.size(), 300u);
    for (std::int64_t k = 0; k < 300; ++k) EXPECT_EQ(seen.count(k), 1u) << "frame " << k;
    EXPECT_GT(most_busy.load(), 1) << "the writers never worked at the same time";
}

// Frames queued (4) and in the writers' hands (2) when frame 10 fails are the
// most that follow it, but a writer held by the scheduler between its failing
// write and telling the pipeline lets the other go on meanwhile: a write takes
// a millisecond here, as a real one does, and the bound allows a loaded
// machine's time slice of them (seen: 19 on a busy 2-core machine).
TEST(FramePipeline, AFailingWriteStopsTheDrawingWithItsReason) {
    constexpr int held_writes = 16;
    FramePipeline pipeline;
    std::atomic<std::int64_t> highest{-1};
    start_pipeline(pipeline, 2, 4, frame_size, [&](const Frame& frame, std::string& error) {
        highest = std::max(highest.load(), frame.index);
        if (frame.index != 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return true;
        }
        error = "disk full at frame 10";
        return false;
    });
    std::string error;
    EXPECT_FALSE(run_frames(pipeline, 100000, error));
    EXPECT_EQ(error, "disk full at frame 10");
    EXPECT_LT(highest.load(), 10 + 4 + 2 + held_writes) << "frames went on being drawn after the failure";
    EXPECT_LT(frames_written(pipeline), 10 + 4 + 2 + held_writes);
}

TEST(FramePipeline, StoppingDropsWhatIsQueuedAndReturns) {
    FramePipeline pipeline;
    std::atomic<int> written{0};
    start_pipeline(pipeline, 1, 4, frame_size, [&](const Frame&, std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++written;
        return true;
    });
    for (int k = 0; k < 4; ++k) queue_frame(pipeline, take_free_frame(pipeline, k));
    stop_pipeline(pipeline);
    EXPECT_LT(written.load(), 4);
    stop_pipeline(pipeline);  // twice is harmless
    FramePipeline never_started;
    stop_pipeline(never_started);
}

TEST(FramePng, BottomFirstRowsBecomeAPictureTheRightWayUp) {
    constexpr int width = 5;
    constexpr int height = 3;
    std::vector<std::uint8_t> gl_rows(width * height * 4);
    for (std::size_t i = 0; i < gl_rows.size(); ++i) gl_rows[i] = static_cast<std::uint8_t>(i * 7 + 1);
    std::vector<std::uint8_t> png;
    std::string error;
    ASSERT_TRUE(encode_frame_png(bottom_up_pixels(gl_rows.data(), width, height), frame_png_settings(), png, error))
        << error;
    const std::filesystem::path path = std::filesystem::path(TEST_OUTPUT_DIR) / "frame_png_test.png";
    std::filesystem::create_directories(path.parent_path());
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(png.data(), 1, png.size(), file);
    std::fclose(file);
    RgbaImage picture;
    ASSERT_TRUE(read_image(path.string(), picture));
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    const RgbaImage drawn{width, height, gl_rows};  // rows bottom first, as OpenGL read them
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            EXPECT_TRUE(same_colour(picture.at(x, y), drawn.at(x, height - 1 - y))) << x << "," << y;
            EXPECT_EQ(picture.at(x, y).a, 255) << "a frame is opaque, whatever its alpha held";
        }
    }
}

}  // namespace
