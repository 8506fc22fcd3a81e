// The capture's files: temporaries are the run's own and never a user's file,
// publishing keeps or replaces as asked, frame files are removed only when this
// run wrote them, and two outputs that would land on one file are refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "output_paths.h"
#include "publication.h"
#include "temporary_file.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace test_files;

namespace {

fs::path work_dir() { return test_files::work_dir("capture_files"); }

TEST(TemporaryFile, LeavesWhatIsThereAloneAndGetsANameOfItsOwn) {
    const fs::path dir = work_dir();
    const std::string final_path = (dir / "a.wav").string();
    put(dir / "a.wav.partial", "the user's");
    TemporaryFile first;
    TemporaryFile second;
    std::string error;
    ASSERT_TRUE(create_temporary(final_path, "partial", first, error)) << error;
    ASSERT_TRUE(create_temporary(final_path, "partial", second, error)) << error;
    EXPECT_NE(first.path, second.path);
    EXPECT_NE(first.path, (dir / "a.wav.partial").string());
    discard_temporary(first);
    discard_temporary(second);
    discard_temporary(second);  // twice does nothing more
    EXPECT_EQ(contents(dir / "a.wav.partial"), "the user's");
    EXPECT_EQ(entries(dir), 1u);
}

TEST(TemporaryFile, NewFilesGetTheUmasksPermissions) {
    const fs::path dir = work_dir();
    const mode_t mask = umask(027);
    TemporaryFile temp;
    std::string error;
    const bool created = create_temporary((dir / "p.png").string(), "partial", temp, error);
    umask(mask);
    ASSERT_TRUE(created) << error;
    struct stat info {};
    ASSERT_EQ(stat(temp.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    discard_temporary(temp);
}

TEST(TemporaryFile, PublishingReplacesOnlyWhenAsked) {
    const fs::path dir = work_dir();
    put(dir / "kept.png", "the user's");
    put(dir / "replaced.png", "old");
    std::string error;
    EXPECT_FALSE(write_whole_file((dir / "kept.png").string(), "new", 3, false, error));
    EXPECT_NE(error.find("kept.png"), std::string::npos) << error;
    EXPECT_EQ(contents(dir / "kept.png"), "the user's");
    EXPECT_TRUE(write_whole_file((dir / "replaced.png").string(), "new", 3, true, error)) << error;
    EXPECT_EQ(contents(dir / "replaced.png"), "new");
    EXPECT_EQ(entries(dir), 2u) << "a temporary was left behind";
}

TEST(TemporaryFile, AMissingFolderIsOneLineNamingTheFile) {
    TemporaryFile temp;
    std::string error;
    EXPECT_FALSE(create_temporary((work_dir() / "missing" / "v.mp4").string(), "partial", temp, error));
    EXPECT_NE(error.find("v.mp4: No such file or directory"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
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
