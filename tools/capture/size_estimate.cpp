// Output size estimates and the room on the file systems.
#include "size_estimate.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "capture_timing.h"
#include "runtime/sound_format.h"

namespace {

// Bytes per pixel of a frame, measured on the show at 1024x768 and rounded up:
// PNG frames 95 kB (the closing picture's frames the largest), quick H.264 45 kB
// at 60 fps, upload H.264 about a third of that, VP9 less still. Fewer frames a
// second make each frame differ more from the last, so a video's figure is
// scaled up for them.
constexpr double png_bytes_per_pixel = 0.2;
constexpr double quick_bytes_per_pixel = 0.1;
constexpr double upload_bytes_per_pixel = 0.04;
constexpr double vp9_bytes_per_pixel = 0.04;
constexpr int measured_fps = 60;
constexpr std::uint64_t wav_bytes_per_second = audio_rate * audio_channels * 2;
constexpr std::uint64_t compressed_sound_bytes_per_second = 192000 / 8;
constexpr std::uint64_t flac_bytes_per_second = wav_bytes_per_second * 3 / 4;

std::string folder_of(const std::string& path) {
    const std::filesystem::path p(path);
    return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

// The nearest existing folder at or above `path`, where its files will land.
std::string existing_folder(std::string path) {
    struct stat info {};
    while (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        const std::string up = folder_of(path);
        if (up == path) return ".";
        path = up;
    }
    return path;
}

struct Room {
    std::string folder;  // one folder on the file system, for the message
    std::uint64_t needed = 0;
    std::uint64_t free = 0;
};

void add_need(std::map<dev_t, Room>& rooms, const std::string& folder, std::uint64_t bytes) {
    const std::string place = existing_folder(folder);
    struct stat info {};
    struct statvfs fs {};
    if (stat(place.c_str(), &info) != 0 || statvfs(place.c_str(), &fs) != 0) return;  // checked later, when written
    Room& room = rooms[info.st_dev];
    if (room.folder.empty()) room.folder = place;
    room.needed += bytes;
    room.free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

std::uint64_t sound_seconds(std::int64_t from_ms, std::int64_t to_ms) {
    return static_cast<std::uint64_t>((to_ms - from_ms) / ms_per_second + 1);
}

std::string with_commas(std::int64_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

std::uint64_t estimated_frame_bytes(const CaptureOptions& options) {
    const double pixels = static_cast<double>(options.width) * options.height;
    double per_pixel = png_bytes_per_pixel;
    if (options.sequence_output == SequenceOutput::video) {
        per_pixel = options.video_format == "webm" ? vp9_bytes_per_pixel
                    : options.for_upload           ? upload_bytes_per_pixel
                                                   : quick_bytes_per_pixel;
        if (options.fps > 0 && options.fps < measured_fps)
            per_pixel *= std::sqrt(static_cast<double>(measured_fps) / options.fps);
    }
    return static_cast<std::uint64_t>(std::ceil(pixels * per_pixel));
}

bool check_room(const CaptureOptions& options, std::int64_t frame_count, std::string& error) {
    std::map<dev_t, Room> rooms;
    const bool single = options.mode == CaptureMode::single_frame;
    const std::int64_t first_ms = single ? options.at_ms : options.from_ms;
    const std::uint64_t frames = static_cast<std::uint64_t>(single ? 1 : frame_count);
    const std::uint64_t picture_bytes = frames * estimated_frame_bytes(options);
    const bool video = !single && options.sequence_output == SequenceOutput::video;
    if (video) {
        const std::uint64_t seconds = sound_seconds(options.from_ms, options.to_ms);
        const std::uint64_t sound =
            options.video_format == "matroska" ? flac_bytes_per_second : compressed_sound_bytes_per_second;
        // The video, and beside it the sound ffmpeg reads while it works.
        add_need(rooms, folder_of(options.out), picture_bytes + seconds * (sound + wav_bytes_per_second));
    } else if (single) {
        add_need(rooms, folder_of(options.out), picture_bytes);
    } else {
        add_need(rooms, options.out, picture_bytes);
    }
    if (!options.audio_out.empty()) {
        // A single frame's sound runs to the end of the song's pass: at most one pass.
        constexpr std::uint64_t pass_seconds = 265;
        const std::uint64_t seconds = single ? pass_seconds : sound_seconds(first_ms, options.to_ms);
        add_need(rooms, folder_of(options.audio_out), seconds * wav_bytes_per_second);
    }
    for (const auto& [device, room] : rooms) {
        if (room.needed <= room.free) continue;
        const std::string what = video ? "video" : "PNG";
        error = "this run would write about " + byte_text(room.needed) + " (" +
                with_commas(static_cast<std::int64_t>(frames)) + " frames of " + std::to_string(options.width) + "x" +
                std::to_string(options.height) + " " + what + ") where " + room.folder + " has " +
                byte_text(room.free) + " free; --force runs it anyway";
        return false;
    }
    return true;
}

std::string byte_text(std::uint64_t bytes) {
    static constexpr const char* units[] = {"bytes", "kB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1000.0 && unit < 6) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    if (unit == 0) std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    else
        std::snprintf(text, sizeof text, value < 10 ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text;
}
