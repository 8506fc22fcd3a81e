// Publishing a file (tools/common/published_file.h): every temporary is a new
// name of the writer's own, even with another writer at the same target; a
// target that is a link, a folder or a device is refused and left alone; a
// failed write leaves no temporary and never touches the user's file; new files
// are 0644 or 0755 under the umask.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "published_file.h"

namespace fs = std::filesystem;

namespace {

class PublishedFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/published_file_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string at(const std::string& name) const { return (folder / name).string(); }
    void put(const std::string& name, const std::string& text) const {
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    std::string contents(const std::string& name) const {
        std::ifstream in(folder / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(folder)) out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    fs::path folder;
};

mode_t permissions(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST_F(PublishedFile, LeavesWhatIsThereAloneAndGetsANameOfItsOwn) {
    const std::string final_path = at("a.wav");
    put("a.wav.partial", "the user's");
    TemporaryFile first;
    TemporaryFile second;
    std::string error;
    ASSERT_TRUE(create_temporary(final_path, first, error)) << error;
    ASSERT_TRUE(create_temporary(final_path, second, error)) << error;
    EXPECT_NE(first.path, second.path);
    EXPECT_NE(first.path, at("a.wav.partial"));
    EXPECT_EQ(first.path.rfind(final_path + ".partial-", 0), 0u) << first.path;
    discard_temporary(first);
    discard_temporary(second);
    discard_temporary(second);  // twice does nothing more
    EXPECT_EQ(contents("a.wav.partial"), "the user's");
    EXPECT_EQ(names().size(), 1u);
}

TEST_F(PublishedFile, NewFilesGetTheUmasksPermissions) {
    const mode_t mask = umask(027);
    TemporaryFile temp;
    std::string error;
    const bool created = create_temporary(at("p.png"), temp, error);
    const bool program = write_whole_file(at("run"), "#!", 2, true, error, FileMode::executable);
    umask(0);
    const bool plain = write_whole_file(at("plain.txt"), "x", 1, true, error);
    const bool executable = write_whole_file(at("tool"), "#!", 2, true, error, FileMode::executable);
    umask(mask);
    ASSERT_TRUE(created && program && plain && executable) << error;
    EXPECT_EQ(permissions(temp.path), 0640u);
    EXPECT_EQ(permissions(at("run")), 0750u);
    EXPECT_EQ(permissions(at("plain.txt")), 0644u) << "never writable by others, whatever the umask allows";
    EXPECT_EQ(permissions(at("tool")), 0755u);
    discard_temporary(temp);
}

TEST_F(PublishedFile, PublishingReplacesOnlyWhenAsked) {
    put("kept.png", "the user's");
    put("replaced.png", "old");
    std::string error;
    EXPECT_FALSE(write_whole_file(at("kept.png"), "new", 3, false, error));
    EXPECT_EQ(error, "a file of that name appeared during the run");
    EXPECT_EQ(contents("kept.png"), "the user's");
    EXPECT_TRUE(write_whole_file(at("replaced.png"), "new", 3, true, error)) << error;
    EXPECT_EQ(contents("replaced.png"), "new");
    EXPECT_EQ(names().size(), 2u) << "a temporary was left behind";
}

TEST_F(PublishedFile, AMissingFolderIsOneLine) {
    TemporaryFile temp;
    std::string error;
    EXPECT_FALSE(create_temporary(at("missing/v.mp4"), temp, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_TRUE(temp.path.empty());
}

TEST_F(PublishedFile, ALinkAFolderOrADeviceIsNeverReplacedNorWrittenThrough) {
    put("real.txt", "the user's");
    fs::create_symlink(folder / "real.txt", folder / "link.txt");
    fs::create_symlink(folder / "nowhere", folder / "dangling.txt");
    fs::create_directory(folder / "sub");
    ASSERT_EQ(mkfifo(at("pipe").c_str(), 0600), 0);
    std::string error;
    const std::pair<const char*, const char*> refused[] = {{"link.txt", "it is a symbolic link"},
                                                           {"dangling.txt", "it is a symbolic link"},
                                                           {"sub", "it is a folder"},
                                                           {"pipe", "it is not a regular file"}};
    for (const auto& [name, reason] : refused) {
        TemporaryFile temp;
        EXPECT_FALSE(create_temporary(at(name), temp, error)) << name;
        EXPECT_EQ(error, reason) << name;
        EXPECT_FALSE(write_whole_file(at(name), "new", 3, true, error)) << name;
        EXPECT_EQ(error, reason) << name;
    }
    // A link that takes the name while the file is written is refused as well.
    TemporaryFile temp;
    ASSERT_TRUE(write_temporary_file(at("late.txt"), "new", 3, temp, error)) << error;
    fs::create_symlink(folder / "real.txt", folder / "late.txt");
    EXPECT_FALSE(publish_temporary(temp, at("late.txt"), true, error));
    EXPECT_EQ(error, "it is a symbolic link");
    EXPECT_TRUE(temp.path.empty()) << "the temporary was removed";

    EXPECT_EQ(contents("real.txt"), "the user's");
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt") && fs::is_symlink(folder / "late.txt"));
    EXPECT_EQ(names(), (std::vector<std::string>{"dangling.txt", "late.txt", "link.txt", "pipe", "real.txt", "sub"}));
}

TEST_F(PublishedFile, AFailedWriteRemovesTheTemporaryAndKeepsTheUsersFile) {
    // A file size limit makes write() fail part way, as a full disk would.
    put("out.bin", "the user's");
    struct rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::vector<char> bytes(1 << 20, 'x');
    std::string error;
    const bool written = write_whole_file(at("out.bin"), bytes.data(), bytes.size(), true, error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(names(), std::vector<std::string>{"out.bin"}) << "the temporary was left behind";
    EXPECT_EQ(contents("out.bin"), "the user's");
}

TEST_F(PublishedFile, ANameTakenByTheUserIsNeverOpenedNorRemoved) {
    const std::string final_path = at("frame.png");
    put("frame.png.partial-abcdef", "the user's");
    TemporaryFile temp;
    std::string error;
    EXPECT_FALSE(create_temporary_named(final_path, temporary_name(final_path, "abcdef"), temp, error));
    EXPECT_EQ(error, "File exists");
    discard_temporary(temp);
    EXPECT_EQ(contents("frame.png.partial-abcdef"), "the user's");

    // A publish that fails removes its temporary, never the name it was to take.
    put("frame.png", "also the user's");
    ASSERT_TRUE(write_temporary_file(final_path, "new", 3, temp, error)) << error;
    EXPECT_FALSE(publish_temporary(temp, final_path, false, error));
    EXPECT_EQ(contents("frame.png"), "also the user's");
    EXPECT_EQ(names(), (std::vector<std::string>{"frame.png", "frame.png.partial-abcdef"}));
}

TEST_F(PublishedFile, TwoWritersAtOnceEachGetTheirOwnTemporary) {
    // Threads: every temporary a new file, none shared.
    constexpr int per_writer = 200;
    std::vector<std::string> made[2];
    std::thread writers[2];
    for (int w = 0; w < 2; ++w)
        writers[w] = std::thread([&, w] {
            for (int k = 0; k < per_writer; ++k) {
                TemporaryFile temp;
                std::string error;
                if (!create_temporary(at("same.png"), temp, error)) return;
                close_temporary(temp, error);
                made[w].push_back(temp.path);
            }
        });
    for (std::thread& t : writers) t.join();
    std::set<std::string> distinct(made[0].begin(), made[0].end());
    distinct.insert(made[1].begin(), made[1].end());
    EXPECT_EQ(made[0].size() + made[1].size(), 2u * per_writer);
    EXPECT_EQ(distinct.size(), 2u * per_writer);
    for (const std::string& path : distinct) fs::remove(path);

    // Processes: a child forked after the random names were seeded draws the
    // same first name as its parent; only exclusive creation keeps them apart.
    random_name_part();
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TemporaryFile temp;
        std::string error;
        const bool ok =
            create_temporary(at("same.png"), temp, error) && write_and_close_temporary(temp, "child", 5, error) &&
            write(pipe_fds[1], temp.path.data(), temp.path.size()) == static_cast<ssize_t>(temp.path.size());
        _exit(ok ? 0 : 1);
    }
    close(pipe_fds[1]);
    char child_path[512] = {};
    std::size_t got = 0;
    for (ssize_t n; (n = read(pipe_fds[0], child_path + got, sizeof child_path - 1 - got)) > 0;) got += n;
    close(pipe_fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    TemporaryFile mine;
    std::string error;
    ASSERT_TRUE(create_temporary(at("same.png"), mine, error)) << error;
    ASSERT_TRUE(write_and_close_temporary(mine, "parent", 6, error)) << error;
    EXPECT_NE(mine.path, std::string(child_path));
    EXPECT_EQ(contents(fs::path(child_path).filename().string()), "child");
    EXPECT_EQ(contents(fs::path(mine.path).filename().string()), "parent");
}

}  // namespace
