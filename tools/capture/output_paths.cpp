// Output path checks, frame file names and clean-up.
#include "output_paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
constexpr const char* frame_prefix = "frame_";
constexpr const char* frame_suffix = ".png";
constexpr const char* probe_suffix = ".partial";

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
    const std::string probe = path + probe_suffix;
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

bool prepare_frame_folder(const std::string& folder, bool& created, std::string& error) {
    created = false;
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) {
        if (mkdir(folder.c_str(), 0777) != 0) {
            error = "cannot create the folder " + folder + ": " + std::strerror(errno);
            return false;
        }
        created = true;
    } else if (!S_ISDIR(info.st_mode)) {
        error = "cannot write frames into " + folder + ": it is not a folder";
        return false;
    } else if (holds_frame_files(folder)) {
        error = folder + " already holds frame_*.png files; name an empty or new folder";
        return false;
    }
    if (!check_file_writable(frame_file_name(folder, 0), error)) {
        if (created) rmdir(folder.c_str());
        created = false;
        return false;
    }
    return true;
}

std::string frame_file_name(const std::string& folder, std::int64_t frame) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%06lld%s", frame_prefix, static_cast<long long>(frame), frame_suffix);
    return folder + "/" + name;
}

void remove_frame_files(const std::string& folder, std::int64_t count, bool created) {
    for (std::int64_t k = 0; k < count; ++k) std::remove(frame_file_name(folder, k).c_str());
    if (created) rmdir(folder.c_str());
}
