// The capture's files: outputs are checked before the run (a missing folder, a
// link or a device is one line), frames get their names only when published and
// are removed only when this run wrote them, and two outputs that would land on
// one file are refused. The temporaries themselves: tests/unit/published_file_test.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "output_paths.h"
#include "publication.h"
#include "published_file.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace test_files;

namespace {

fs::path work_dir() { return test_files::work_dir("capture_files"); }

TEST(OutputPaths, AMissingFolderIsOneLineNamingTheFile) {
    std::string error;
    EXPECT_FALSE(check_file_writable((work_dir() / "missing" / "v.mp4").string(), error));
    EXPECT_NE(error.find("v.mp4: No such file or directory"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(OutputPaths, ALinkOrAPipeIsNeverAnOutput) {
    // Replacing a link would drop the user's link; a pipe or a device would be
    // swapped for a plain file. Both are refused before anything is drawn.
    const fs::path dir = work_dir();
    put(dir / "elsewhere.png", "the user's");
    fs::create_symlink(dir / "elsewhere.png", dir / "link.png");
    std::string error;
    EXPECT_FALSE(check_file_writable((dir / "link.png").string(), error));
    EXPECT_EQ(error, "cannot write " + (dir / "link.png").string() + ": it is a symbolic link");
    ASSERT_EQ(mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    EXPECT_FALSE(check_file_writable((dir / "pipe.wav").string(), error));
    EXPECT_EQ(error, "cannot write " + (dir / "pipe.wav").string() + ": it is not a regular file");
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(contents(dir / "elsewhere.png"), "the user's");
    EXPECT_EQ(entries(dir), 3u);
}

TEST(OutputPaths, ProbingWritabilityLeavesAnExistingFileAlone) {
    const fs::path dir = work_dir();
    put(dir / "a.png.partial", "the user's");
    put(dir / "a.png.probe", "the user's");
    std::string error;
    EXPECT_TRUE(check_file_writable((dir / "a.png").string(), error)) << error;
    EXPECT_EQ(contents(dir / "a.png.partial"), "the user's");
    EXPECT_EQ(contents(dir / "a.png.probe"), "the user's");
    EXPECT_EQ(entries(dir), 2u);
}

TEST(OutputPaths, FramesGetTheirNamesOnlyWhenPublished) {
    const fs::path dir = work_dir();
    FrameFolder folder;
    std::string error;
    ASSERT_TRUE(prepare_frame_folder((dir / "frames/").string(), 5, folder, error)) << error;
    EXPECT_TRUE(folder.created);
    EXPECT_EQ(frame_file_name(folder, 3), (dir / "frames" / "frame_000003.png").string()) << "one slash";
    const std::vector<std::uint8_t> png = {1, 2, 3};
    // Written out of order, as workers do: none looks like a finished frame yet.
    for (const std::int64_t k : {1, 0, 4, 3, 2}) ASSERT_TRUE(write_frame_file(folder, k, png, error)) << error;
    for (const std::string& name : names(dir / "frames")) EXPECT_NE(name.find(".partial-"), std::string::npos) << name;
    Publication publication;
    add_frames_to_publication(folder, publication);
    ASSERT_TRUE(publish_all(publication, error)) << error;
    EXPECT_EQ(names(dir / "frames"),
              (std::vector<std::string>{"frame_000000.png", "frame_000001.png", "frame_000002.png", "frame_000003.png",
                                        "frame_000004.png"}));
    EXPECT_EQ(contents(dir / "frames" / "frame_000002.png"), std::string("\1\2\3"));
}

TEST(OutputPaths, AFrameNameTakenDuringTheRunFailsTheWholeSequence) {
    const fs::path dir = work_dir();
    FrameFolder folder;
    std::string error;
    ASSERT_TRUE(prepare_frame_folder((dir / "frames").string(), 3, folder, error)) << error;
    for (const std::int64_t k : {0, 1, 2}) ASSERT_TRUE(write_frame_file(folder, k, {9}, error)) << error;
    put(dir / "frames" / "frame_000001.png", "the user's");
    Publication publication;
    add_frames_to_publication(folder, publication);
    EXPECT_FALSE(publish_all(publication, error));
    EXPECT_NE(error.find("frame_000001.png"), std::string::npos) << error;
    remove_frame_files(folder);
    EXPECT_EQ(names(dir / "frames"), std::vector<std::string>{"frame_000001.png"}) << "nothing of the run is left";
    EXPECT_EQ(contents(dir / "frames" / "frame_000001.png"), "the user's");
}

TEST(OutputPaths, AUsersFileUnderAFramesTemporaryNameIsNeverRemoved) {
    const fs::path dir = work_dir();
    FrameFolder folder;
    std::string error;
    ASSERT_TRUE(prepare_frame_folder(dir.string(), 2, folder, error)) << error;
    const fs::path taken = temporary_name(frame_file_name(folder, 1), folder.token);
    put(taken, "the user's");
    ASSERT_TRUE(write_frame_file(folder, 0, {1}, error)) << error;
    EXPECT_FALSE(write_frame_file(folder, 1, {2}, error));
    EXPECT_EQ(error, "cannot write " + frame_file_name(folder, 1) + ": File exists");
    remove_frame_files(folder);
    EXPECT_EQ(names(dir), std::vector<std::string>{taken.filename().string()}) << "only the run's frame went";
    EXPECT_EQ(contents(taken), "the user's");
}

TEST(OutputPaths, AFolderOfThisRunIsRemovedWithItsFrames) {
    const fs::path dir = work_dir();
    FrameFolder folder;
    std::string error;
    ASSERT_TRUE(prepare_frame_folder((dir / "new").string(), 1, folder, error)) << error;
    ASSERT_TRUE(write_frame_file(folder, 0, {1}, error)) << error;
    remove_frame_files(folder);
    EXPECT_FALSE(fs::exists(dir / "new"));

    fs::create_directory(dir / "old");
    put(dir / "old" / "notes.txt", "kept");
    FrameFolder existing;
    ASSERT_TRUE(prepare_frame_folder((dir / "old").string(), 1, existing, error)) << error;
    EXPECT_FALSE(existing.created);
    ASSERT_TRUE(write_frame_file(existing, 0, {1}, error)) << error;
    remove_frame_files(existing);
    EXPECT_EQ(entries(dir / "old"), 1u);
}

TEST(OutputPaths, FrameNumbersAreWideEnoughForTheWholeSequence) {
    EXPECT_EQ(frame_number_digits(1), 6);
    EXPECT_EQ(frame_number_digits(1000000), 6);  // frames 0 .. 999999
    EXPECT_EQ(frame_number_digits(1000001), 7);
    EXPECT_EQ(frame_number_digits(515396076), 9);
    EXPECT_EQ(path_in_folder("out//", "a.png"), "out/a.png");
    EXPECT_EQ(path_in_folder("/", "a.png"), "/a.png");
}

TEST(OutputPaths, OutputsLandingOnOneFileAreRefused) {
    const fs::path dir = work_dir();
    fs::create_directory(dir / "sub");
    fs::create_directory_symlink(dir / "sub", dir / "link");
    const std::string d = dir.string() + "/";
    std::string error;
    EXPECT_TRUE(check_distinct_outputs(d + "v.mp4", d + "v.mp4.audio.wav", error));
    EXPECT_TRUE(check_distinct_outputs(d + "v.mp4", "", error));
    EXPECT_TRUE(check_distinct_outputs(d + "sub/a.wav", d + "a.wav", error));
    const std::pair<std::string, std::string> same[] = {
        {d + "a.wav", d + "a.wav"},                  // the same words
        {d + "a.wav/", d + "a.wav"},                 // a folder named like the WAV
        {d + "a.wav/", d + "./a.wav"},               // through "."
        {d + "sub/x.wav/", d + "sub/../sub/x.wav"},  // through ".."
        {d + "link/x.wav/", d + "sub/x.wav"},        // through a link to the folder
    };
    for (const auto& [out, audio] : same) {
        EXPECT_FALSE(check_distinct_outputs(out, audio, error)) << out << " and " << audio;
        EXPECT_NE(error.find("name the same file"), std::string::npos) << error;
    }
}

}  // namespace
