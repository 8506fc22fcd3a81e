// capture_bench: how fast invitation-capture writes a fixed span of the show as
// MP4 (H.264 + AAC) and as a PNG sequence, in frames per second of wall time,
// with the CPU time it took (the program and ffmpeg together); the picture
// quality of the MP4 against the PNG frames of the same span; and sweeps over
// the PNG and H.264 settings that the capture program's choices come from.
//
//   build/bench/capture_bench [--baseline OTHER-PROGRAM] [--rounds N] [--from-ms A]
//                             [--seconds S] [--fps F] [--quality] [--png-sweep]
//                             [--h264-sweep]
//
// --baseline runs another build of the program (say, one built from an earlier
// commit) alternately with this one, so both see the same machine load.
#include <png.h>
#include <zlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>
#include <string>
#include <vector>

#include "png_frame.h"
#include "png_io.h"

namespace fs = std::filesystem;

namespace {

constexpr int default_from_ms = 30000;  // pages, particles, cubes, scroller: a busy stretch
constexpr int default_seconds = 10;
constexpr int default_fps = 60;
constexpr int sweep_frame_step = 10;  // the PNG sweep encodes every 10th frame of the span
constexpr double bytes_per_mb = 1e6;
constexpr int ms_per_second = 1000;

struct Settings {
    std::string program = CAPTURE_PROGRAM;
    std::string baseline;
    int rounds = 1;
    int from_ms = default_from_ms;
    int seconds = default_seconds;
    int fps = default_fps;
    bool quality = false;
    bool png_sweep = false;
    bool h264_sweep = false;
};

double cpu_seconds_of_children() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = 0.0;
    double cpu = 0.0;
    bool ok = false;
};

// Runs a shell command, timing it; its standard error goes to `log`.
Timing run_timed(const std::string& command, const fs::path& log) {
    const double cpu_before = cpu_seconds_of_children();
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system((command + " 2>" + log.string()).c_str());
    Timing timing;
    timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.cpu = cpu_seconds_of_children() - cpu_before;
    timing.ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return timing;
}

std::string run_output(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

std::uintmax_t size_of(const fs::path& path) {
    if (fs::is_regular_file(path)) return fs::file_size(path);
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(path)) total += entry.file_size();
    return total;
}

int frame_count(const Settings& s) { return s.seconds * s.fps; }

std::string span_arguments(const Settings& s) {
    return " --from-ms " + std::to_string(s.from_ms) + " --to-ms " +
           std::to_string(s.from_ms + s.seconds * ms_per_second - 1) + " --fps " + std::to_string(s.fps);
}

// PSNR (dB) and SSIM of a video against the PNG frames, both turned into planar
// RGB first, so the figures measure what a viewer sees.
std::string quality_of(const fs::path& video, const fs::path& frames, int fps) {
    const std::string graph =
        "[0:v]format=gbrp[a];[1:v]format=gbrp[b];[a]split[a1][a2];[b]split[b1][b2];[a1][b1]psnr;[a2][b2]ssim";
    const std::string out = run_output("ffmpeg -hide_banner -nostdin -i " + video.string() + " -framerate " +
                                       std::to_string(fps) + " -i " + (frames / "frame_%06d.png").string() +
                                       " -lavfi '" + graph + "' -f null -");
    std::string psnr = "?";
    std::string ssim = "?";
    if (const auto at = out.find("average:"); at != std::string::npos) psnr = out.substr(at + 8, out.find(' ', at) - at - 8);
    if (const auto at = out.find("All:"); at != std::string::npos) ssim = out.substr(at + 4, out.find(' ', at) - at - 4);
    return "PSNR " + psnr + " dB, SSIM " + ssim;
}

// The frames as ffmpeg decodes them, one checksum each; equal lists mean equal pixels.
std::string frame_checksums(const fs::path& frames, int fps) {
    return run_output("ffmpeg -hide_banner -nostdin -v error -framerate " + std::to_string(fps) + " -i " +
                      (frames / "frame_%06d.png").string() + " -pix_fmt rgb24 -f framemd5 -");
}

struct Result {
    std::vector<double> fps;
    std::vector<double> cpu_ms_per_frame;
    std::uintmax_t bytes = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void measure_programs(const Settings& s, const fs::path& work) {
    std::vector<std::pair<std::string, std::string>> programs;  // label, path
    if (!s.baseline.empty()) programs.push_back({"baseline", s.baseline});
    programs.push_back({"this build", s.program});
    std::map<std::string, Result> results;
    std::printf("span: %d frames, %d ms to %d ms at %d fps, 1024x768; %d round(s)\n", frame_count(s), s.from_ms,
                s.from_ms + s.seconds * ms_per_second - 1, s.fps, s.rounds);
    for (int round = 0; round < s.rounds; ++round) {
        for (const auto& [label, program] : programs) {
            for (const std::string kind : {"mp4", "png"}) {
                const fs::path out = work / (label == "baseline" ? "old" : "new") /
                                     (kind == "mp4" ? fs::path("clip.mp4") : fs::path("frames"));
                fs::create_directories(out.parent_path());
                fs::remove_all(out);
                const Timing t = run_timed(program + span_arguments(s) + " --out " + out.string(),
                                           work / "capture.log");
                if (!t.ok) {
                    std::printf("%s, %s: the capture failed; see %s\n", label.c_str(), kind.c_str(),
                                (work / "capture.log").c_str());
                    std::exit(1);
                }
                Result& r = results[label + " " + kind];
                r.fps.push_back(frame_count(s) / t.wall);
                r.cpu_ms_per_frame.push_back(t.cpu * ms_per_second / frame_count(s));
                r.bytes = size_of(out);
                std::printf("  round %d %-10s %s: %6.1f fps (%.1f s), CPU %.1f ms/frame\n", round + 1, label.c_str(),
                            kind.c_str(), frame_count(s) / t.wall, t.wall, t.cpu * ms_per_second / frame_count(s));
                std::fflush(stdout);
            }
        }
    }
    std::printf("\nmedians:\n");
    for (const auto& [key, r] : results)
        std::printf("  %-15s %6.1f fps, CPU %5.1f ms/frame, %7.1f MB (%.3f MB/frame)\n", key.c_str(), median(r.fps),
                    median(r.cpu_ms_per_frame), r.bytes / bytes_per_mb, r.bytes / bytes_per_mb / frame_count(s));

    if (!s.quality) return;
    std::printf("\nquality of the MP4 against the PNG frames of the same span:\n");
    for (const auto& [label, program] : programs) {
        const fs::path dir = work / (label == "baseline" ? "old" : "new");
        std::printf("  %-10s %s\n", label.c_str(), quality_of(dir / "clip.mp4", dir / "frames", s.fps).c_str());
    }
    if (!s.baseline.empty()) {
        const bool same = frame_checksums(work / "old" / "frames", s.fps) == frame_checksums(work / "new" / "frames", s.fps);
        std::printf("  PNG frames of both builds decode to %s pixels\n", same ? "the same" : "DIFFERENT");
    }
}

struct DecodedFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// Every sweep_frame_step-th PNG frame of the span, decoded.
std::vector<DecodedFrame> load_frames(const Settings& s, const fs::path& work) {
    const fs::path frames = work / "sweep_frames";
    fs::remove_all(frames);
    if (!run_timed(s.program + span_arguments(s) + " --out " + frames.string(), work / "capture.log").ok) {
        std::printf("the capture for the sweep failed\n");
        std::exit(1);
    }
    std::vector<DecodedFrame> decoded;
    for (int k = 0; k < frame_count(s); k += sweep_frame_step) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", k);
        DecodedFrame f;
        std::string error;
        if (!read_png_rgba((frames / name).string(), f.width, f.height, f.rgba, error)) {
            std::printf("%s\n", error.c_str());
            std::exit(1);
        }
        decoded.push_back(std::move(f));
    }
    return decoded;
}

void sweep_png(const Settings& s, const fs::path& work) {
    const std::vector<DecodedFrame> frames = load_frames(s, work);
    struct Filter {
        const char* name;
        int bits;
    };
    const Filter filters[] = {{"none", PNG_FILTER_NONE}, {"sub", PNG_FILTER_SUB},   {"up", PNG_FILTER_UP},
                              {"paeth", PNG_FILTER_PAETH}, {"all", PNG_ALL_FILTERS}};
    const PngSettings chosen = frame_png_settings();
    std::printf("\nPNG settings, one thread, %zu frames of the span (chosen: level %d, filters %d, strategy %d):\n",
                frames.size(), chosen.zlib_level, chosen.filters, chosen.zlib_strategy);
    std::printf("  %-6s %-6s %-9s %10s %10s\n", "level", "filter", "strategy", "ms/frame", "MB/frame");
    std::vector<std::uint8_t> png;
    std::string error;
    struct Strategy {
        const char* name;
        int value;
    };
    for (const Strategy strategy : {Strategy{"default", Z_DEFAULT_STRATEGY}, Strategy{"rle", Z_RLE}}) {
        for (const int level : {1, 2, 3, 4, 6, 9}) {
            if (strategy.value == Z_RLE && level > 1) continue;  // RLE ignores the level's search effort
            for (const Filter& filter : filters) {
                std::size_t bytes = 0;
                const auto start = std::chrono::steady_clock::now();
                for (const DecodedFrame& f : frames) {
                    const FramePixels pixels{f.rgba.data(), static_cast<std::ptrdiff_t>(f.width) * 4, f.width,
                                             f.height};
                    encode_frame_png(pixels, {level, filter.bits, strategy.value}, png, error);
                    bytes += png.size();
                }
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                std::printf("  %-6d %-6s %-9s %10.2f %10.3f\n", level, filter.name, strategy.name,
                            seconds * ms_per_second / frames.size(), bytes / bytes_per_mb / frames.size());
                std::fflush(stdout);
            }
        }
    }
}

void sweep_h264(const Settings& s, const fs::path& work) {
    const fs::path frames = work / "new" / "frames";
    if (!fs::exists(frames)) {
        fs::create_directories(frames.parent_path());
        run_timed(s.program + span_arguments(s) + " --out " + frames.string(), work / "capture.log");
    }
    const fs::path raw = work / "frames.bgr";
    run_timed("ffmpeg -nostdin -v error -y -framerate " + std::to_string(s.fps) + " -i " +
                  (frames / "frame_%06d.png").string() + " -f rawvideo -pix_fmt bgr24 " + raw.string(),
              work / "ffmpeg.log");
    const char* candidates[] = {
        "-preset medium -crf 18",
        "-preset veryfast -crf 14",
        "-preset superfast -crf 14",
        "-preset superfast -crf 15",
        "-preset ultrafast -crf 12",
        "-preset ultrafast -crf 14",
        "-preset ultrafast -crf 14 -deblock 0:0",
        "-preset ultrafast -crf 16 -deblock 0:0",
        "-preset ultrafast -crf 14 -deblock 0:0 -aq-mode 1",
    };
    std::printf("\nH.264 settings, encoding the span's frames from raw BGR as the capture sends them (ffmpeg alone):\n");
    for (const char* candidate : candidates) {
        const fs::path video = work / "sweep.mp4";
        const Timing t = run_timed("ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bgr24 -s 1024x768 -framerate " +
                                       std::to_string(s.fps) + " -i " + raw.string() + " -c:v libx264 " + candidate +
                                       " -pix_fmt yuv420p -f mp4 " + video.string(),
                                   work / "ffmpeg.log");
        std::printf("  %-36s CPU %5.1f ms/frame, %6.2f MB, %s\n", candidate, t.cpu * ms_per_second / frame_count(s),
                    size_of(video) / bytes_per_mb, quality_of(video, frames, s.fps).c_str());
        std::fflush(stdout);
    }
    fs::remove(raw);
}

bool parse(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--baseline" && has_value) s.baseline = argv[++i];
        else if (arg == "--rounds" && has_value) s.rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--from-ms" && has_value) s.from_ms = std::max(0, std::atoi(argv[++i]));
        else if (arg == "--seconds" && has_value) s.seconds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--fps" && has_value) s.fps = std::clamp(std::atoi(argv[++i]), 1, 240);
        else if (arg == "--quality") s.quality = true;
        else if (arg == "--png-sweep") s.png_sweep = true;
        else if (arg == "--h264-sweep") s.h264_sweep = true;
        else return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    if (!parse(argc, argv, s)) {
        std::fprintf(stderr,
                     "usage: capture_bench [--baseline PROGRAM] [--rounds N] [--from-ms A] [--seconds S] [--fps F]\n"
                     "                     [--quality] [--png-sweep] [--h264-sweep]\n");
        return 2;
    }
    char work_template[] = "/tmp/capture_bench.XXXXXX";
    if (!mkdtemp(work_template)) return 1;
    const fs::path work = work_template;
    std::printf("capture_bench: %s (%u cores)\n", s.program.c_str(), std::thread::hardware_concurrency());
    measure_programs(s, work);
    if (s.png_sweep) sweep_png(s, work);
    if (s.h264_sweep) sweep_h264(s, work);
    fs::remove_all(work);
    return 0;
}
