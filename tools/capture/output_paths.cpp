// Output path checks, frame file names and clean-up.
#include "output_paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "temporary_file.h"

namespace {
constexpr const char* frame_prefix = "frame_";
constexpr const char* frame_suffix = ".png";
constexpr const char* probe_tag = "probe";

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
    // A probe of this run's own beside the file: whatever is there already stays untouched.
    TemporaryFile probe;
    if (!create_temporary(path, probe_tag, probe, error)) return false;
    discard_temporary(probe);
    return true;
}

bool prepare_frame_folder(const std::string& path, FrameFolder& folder, std::string& error) {
    folder.path = path;
    folder.created = false;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (mkdir(path.c_str(), 0777) != 0) {
            error = "cannot create the folder " + path + ": " + std::strerror(errno);
            return false;
        }
        folder.created = true;
    } else if (!S_ISDIR(info.st_mode)) {
        error = "cannot write frames into " + path + ": it is not a folder";
        return false;
    } else if (holds_frame_files(path)) {
        error = path + " already holds frame_*.png files; name an empty or new folder";
        return false;
    }
    if (!check_file_writable(frame_file_name(path, 0), error)) {
        if (folder.created) rmdir(path.c_str());
        folder.created = false;
        return false;
    }
    return true;
}

std::string frame_file_name(const std::string& folder, std::int64_t frame) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%06lld%s", frame_prefix, static_cast<long long>(frame), frame_suffix);
    return folder + "/" + name;
}

bool write_frame_file(FrameFolder& folder, std::int64_t frame, const std::vector<std::uint8_t>& png,
                      std::string& error) {
    assert(frame >= 0);
    if (!write_whole_file(frame_file_name(folder.path, frame), png.data(), png.size(), false, error)) return false;
    const std::lock_guard lock(folder.mutex);
    folder.written_beyond.insert(frame);
    while (!folder.written_beyond.empty() && *folder.written_beyond.begin() == folder.written_below) {
        folder.written_beyond.erase(folder.written_beyond.begin());
        ++folder.written_below;
    }
    return true;
}

void remove_frame_files(FrameFolder& folder) {
    const std::lock_guard lock(folder.mutex);
    for (std::int64_t k = 0; k < folder.written_below; ++k) unlink(frame_file_name(folder.path, k).c_str());
    for (const std::int64_t k : folder.written_beyond) unlink(frame_file_name(folder.path, k).c_str());
    folder.written_below = 0;
    folder.written_beyond.clear();
    if (folder.created) rmdir(folder.path.c_str());
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
