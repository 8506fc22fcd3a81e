// Output path checks, frame file names and clean-up.
#include "output_paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "published_file.h"

namespace {
constexpr const char* frame_prefix = "frame_";
constexpr int min_frame_digits = 6;

constexpr const char* frame_suffix = ".png";

bool is_folder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool holds_frame_files(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(frame_prefix, 0) == 0 && name.size() > std::strlen(frame_suffix) &&
            name.compare(name.size() - std::strlen(frame_suffix), std::string::npos, frame_suffix) == 0) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}
}  // namespace

bool check_file_writable(const std::string& path, std::string& error) {
    if (is_folder(path)) {
        error = "cannot write " + path + ": it is a folder";
        return false;
    }
    // A probe of this run's own beside the file, which also refuses a link or a
    // device as the output: whatever is there already stays untouched.
    TemporaryFile probe;
    std::string reason;
    if (!create_temporary(path, probe, reason)) {
        error = cannot_write(path, reason);
        return false;
    }
    discard_temporary(probe);
    return true;
}

int frame_number_digits(std::int64_t count) {
    int digits = 1;
    for (std::int64_t last = count > 0 ? count - 1 : 0; last >= 10; last /= 10) ++digits;
    return std::max(digits, min_frame_digits);
}

std::string path_in_folder(const std::string& folder, const std::string& name) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty()) return name;
    return path.back() == '/' ? path + name : path + "/" + name;
}

bool prepare_frame_folder(const std::string& path, std::int64_t count, FrameFolder& folder, std::string& error) {
    folder.path = path;
    while (folder.path.size() > 1 && folder.path.back() == '/') folder.path.pop_back();
    folder.created = false;
    folder.digits = frame_number_digits(count);
    folder.token = random_name_part();
    folder.written.clear();
    struct stat info {};
    if (stat(folder.path.c_str(), &info) != 0) {
        if (mkdir(folder.path.c_str(), 0777) != 0) {
            error = "cannot create the folder " + folder.path + ": " + std::strerror(errno);
            return false;
        }
        folder.created = true;
    } else if (!S_ISDIR(info.st_mode)) {
        error = "cannot write frames into " + folder.path + ": it is not a folder";
        return false;
    } else if (holds_frame_files(folder.path)) {
        error = folder.path + " already holds frame_*.png files; name an empty or new folder";
        return false;
    }
    if (!check_file_writable(frame_file_name(folder, 0), error)) {
        if (folder.created) rmdir(folder.path.c_str());
        folder.created = false;
        return false;
    }
    return true;
}

std::string frame_file_name(const FrameFolder& folder, std::int64_t frame) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%0*lld%s", frame_prefix, folder.digits, static_cast<long long>(frame),
                  frame_suffix);
    return path_in_folder(folder.path, name);
}

namespace {

std::string frame_temporary_name(const FrameFolder& folder, std::int64_t frame) {
    return temporary_name(frame_file_name(folder, frame), folder.token);
}

}  // namespace

bool write_frame_file(FrameFolder& folder, std::int64_t frame, const std::vector<std::uint8_t>& png,
                      std::string& error) {
    assert(frame >= 0);
    const std::string path = frame_file_name(folder, frame);
    TemporaryFile temp;
    std::string reason;
    // A temporary that cannot be made or written is removed at once and never
    // noted, so only names this run created are ever removed as its frames.
    if (!create_temporary_named(path, frame_temporary_name(folder, frame), temp, reason) ||
        !write_and_close_temporary(temp, png.data(), png.size(), reason)) {
        error = cannot_write(path, reason);
        return false;
    }
    const std::lock_guard lock(folder.mutex);
    folder.written.insert(frame);
    return true;
}

void add_frames_to_publication(FrameFolder& folder, Publication& publication) {
    const std::lock_guard lock(folder.mutex);
    for (const std::int64_t k : folder.written)
        add_to_publication(publication, frame_temporary_name(folder, k), frame_file_name(folder, k), false);
    folder.written.clear();  // the publication owns them now
}

void remove_frame_files(FrameFolder& folder) {
    const std::lock_guard lock(folder.mutex);
    for (const std::int64_t k : folder.written) unlink(frame_temporary_name(folder, k).c_str());
    folder.written.clear();
    if (folder.created) rmdir(folder.path.c_str());  // only if empty: never anything of the user's
    folder.created = false;
}

namespace {

// Where a file output lands once renamed into place: its folder resolved
// through symbolic links and "..", and its own name. The rename replaces a
// link rather than following it, so the name itself is not resolved.
std::string landing_place(const std::string& path) {
    namespace fs = std::filesystem;
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();  // a folder asked for as "frames/"
    const fs::path p(name);
    std::error_code ec;
    fs::path folder = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    fs::path resolved = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    if (ec) resolved = fs::absolute(folder, ec).lexically_normal();
    return (resolved / p.filename()).lexically_normal().string();
}

}  // namespace

bool check_distinct_outputs(const std::string& out, const std::string& audio_out, std::string& error) {
    if (audio_out.empty()) return true;
    if (landing_place(out) == landing_place(audio_out)) {
        error = "--out " + out + " and --audio-out " + audio_out + " name the same file";
        return false;
    }
    return true;
}
