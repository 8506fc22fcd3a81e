// Publishing a run's outputs: all get their names or none do, and every name
// that held a file of the user's holds it again after a failure or an
// interruption, with nothing of the run left behind.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "interruption.h"
#include "publication.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace test_files;

namespace {

fs::path work_dir() { return test_files::work_dir("publication"); }

// Two finished outputs of a run, as temporaries, into a publication.
Publication two_outputs(const fs::path& dir, const std::string& first, const std::string& second) {
    put(dir / (first + ".partial-a"), "new " + first);
    put(dir / (second + ".partial-b"), "new " + second);
    Publication publication;
    add_to_publication(publication, (dir / (first + ".partial-a")).string(), (dir / first).string(), true);
    add_to_publication(publication, (dir / (second + ".partial-b")).string(), (dir / second).string(), true);
    return publication;
}

TEST(Publication, EveryOutputGetsItsNameAndTheUsersEarlierFileIsReplaced) {
    const fs::path dir = work_dir();
    put(dir / "shot.png", "USER");
    Publication publication = two_outputs(dir, "shot.png", "snd.wav");
    std::string error;
    ASSERT_TRUE(publish_all(publication, error)) << error;
    EXPECT_EQ(names(dir), (std::vector<std::string>{"shot.png", "snd.wav"})) << "no temporaries, no backups";
    EXPECT_EQ(contents(dir / "shot.png"), "new shot.png");
    EXPECT_EQ(contents(dir / "snd.wav"), "new snd.wav");
}

TEST(Publication, ALateFailurePutsEveryNameBackAsItWas) {
    // The picture replaces the user's file, then the sound cannot get its name
    // (a folder took it during the run): the user's picture must come back.
    const fs::path dir = work_dir();
    put(dir / "shot.png", "USER");
    fs::create_directories(dir / "snd.wav" / "x");
    Publication publication = two_outputs(dir, "shot.png", "snd.wav");
    std::string error;
    EXPECT_FALSE(publish_all(publication, error));
    EXPECT_EQ(error, "cannot write " + (dir / "snd.wav").string() + ": it is a folder");
    EXPECT_EQ(names(dir), (std::vector<std::string>{"shot.png", "snd.wav"}));
    EXPECT_EQ(contents(dir / "shot.png"), "USER");
    EXPECT_TRUE(fs::is_directory(dir / "snd.wav" / "x"));
}

TEST(Publication, AFailureRemovesTheRunsNewNames) {
    const fs::path dir = work_dir();
    put(dir / "frame_000001.png", "USER");
    put(dir / "frame_000000.png.partial-t", "0");
    put(dir / "frame_000001.png.partial-t", "1");
    Publication publication;
    add_to_publication(publication, (dir / "frame_000000.png.partial-t").string(), (dir / "frame_000000.png").string(),
                       false);
    add_to_publication(publication, (dir / "frame_000001.png.partial-t").string(), (dir / "frame_000001.png").string(),
                       false);
    std::string error;
    EXPECT_FALSE(publish_all(publication, error));
    EXPECT_EQ(names(dir), std::vector<std::string>{"frame_000001.png"});
    EXPECT_EQ(contents(dir / "frame_000001.png"), "USER");
}

TEST(Publication, ALinkThatTookANameDuringTheRunIsLeftAsItIs) {
    const fs::path dir = work_dir();
    put(dir / "shot.png", "USER");
    put(dir / "target", "the user's");
    fs::create_symlink(dir / "target", dir / "snd.wav");
    Publication publication = two_outputs(dir, "shot.png", "snd.wav");
    std::string error;
    EXPECT_FALSE(publish_all(publication, error));
    EXPECT_EQ(error, "cannot write " + (dir / "snd.wav").string() + ": it is a symbolic link");
    EXPECT_EQ(names(dir), (std::vector<std::string>{"shot.png", "snd.wav", "target"}));
    EXPECT_EQ(contents(dir / "shot.png"), "USER");
    EXPECT_TRUE(fs::is_symlink(dir / "snd.wav"));
    EXPECT_EQ(contents(dir / "target"), "the user's");
}

TEST(Publication, AUsersFileKeptAsideReturnsWhenItsOutputCannotBeNamed) {
    // The backup is made, then the output's own rename fails (its temporary is
    // gone): the user's file must hold its name, with no backup left over.
    const fs::path dir = work_dir();
    put(dir / "out.png", "USER");
    Publication publication;
    add_to_publication(publication, (dir / "out.png.partial-gone").string(), (dir / "out.png").string(), true);
    std::string error;
    EXPECT_FALSE(publish_all(publication, error));
    EXPECT_EQ(error, "cannot write " + (dir / "out.png").string() + ": No such file or directory");
    EXPECT_EQ(names(dir), std::vector<std::string>{"out.png"});
    EXPECT_EQ(contents(dir / "out.png"), "USER");
}

TEST(Publication, AnInterruptedRunNamesNothing) {
    // The interruption flag cannot be taken back, so this runs in a child.
    const fs::path dir = work_dir();
    put(dir / "out.mp4", "USER");
    EXPECT_EXIT(
        {
            Publication publication = two_outputs(dir, "out.mp4", "a.wav");
            install_interruption_handlers();
            std::raise(SIGTERM);
            std::string error;
            const bool published = publish_all(publication, error);
            std::exit(!published && error == "interrupted" ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(names(dir), std::vector<std::string>{"out.mp4"});
    EXPECT_EQ(contents(dir / "out.mp4"), "USER");
}

TEST(Publication, AbandoningRemovesTheTemporariesOnly) {
    const fs::path dir = work_dir();
    put(dir / "out.mp4", "USER");
    Publication publication = two_outputs(dir, "out.mp4", "a.wav");
    abandon_publication(publication);
    EXPECT_EQ(names(dir), std::vector<std::string>{"out.mp4"});
    EXPECT_EQ(contents(dir / "out.mp4"), "USER");
}

}  // namespace
