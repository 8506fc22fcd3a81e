// capture_bench: how fast invitation-capture writes a fixed span of the show as
// MP4 (H.264 + AAC) and as a PNG sequence, in frames per second of wall time,
// with the CPU time it took (the program and ffmpeg together); the picture
// quality of the MP4 against the PNG frames of the same span; and sweeps over
// the PNG and H.264 settings that the capture program's choices come from.
//
//   build/bench/capture_bench [--baseline OTHER-PROGRAM] [--rounds N] [--from-ms A]
//                             [--seconds S] [--fps F] [--size WxH] [--kinds mp4,upload,png]
//                             [--quality] [--png-sweep] [--h264-sweep]
//
// --baseline runs another build of the program (say, one built from an earlier
// commit) alternately with this one, so both see the same machine load. --kinds
// picks the outputs: mp4 (the quick H.264), upload (--for-upload; this build
// only) and png. --size passes the size to both programs.
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
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
    std::string size = "1024x768";
    std::vector<std::string> kinds = {"mp4", "png"};
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

fs::path output_name(const std::string& kind) {
    if (kind == "png") return "frames";
    return kind == "upload" ? "upload.mp4" : "clip.mp4";
}

std::string span_arguments(const Settings& s) {
    return " --from-ms " + std::to_string(s.from_ms) + " --to-ms " +
           std::to_string(s.from_ms + s.seconds * ms_per_second - 1) + " --fps " + std::to_string(s.fps);
}

// PSNR (dB) and SSIM of a video against the PNG frames, both turned into planar
// RGB first, so the figures measure what a viewer sees.
std::string quality_of(const fs::path& video, const fs::path& frames, int fps) {
    const std::string graph =
        "[0:v]format=gbrp[a];[1:v]format=gbrp[b];[a]split[a1][a2];[b]split[b1][b2];[a1][b1]psnr;[a2][b2]ssim";
    const std::string out =
        run_output("ffmpeg -hide_banner -nostdin -i " + video.string() + " -framerate " + std::to_string(fps) + " -i " +
                   (frames / "frame_%06d.png").string() + " -lavfi '" + graph + "' -f null -");
    std::string psnr = "?";
    std::string ssim = "?";
    if (const auto at = out.find("average:"); at != std::string::npos)
        psnr = out.substr(at + 8, out.find(' ', at) - at - 8);
    if (const auto at = out.find("All:"); at != std::string::npos)
        ssim = out.substr(at + 4, out.find(' ', at) - at - 4);
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
    std::printf("span: %d frames, %d ms to %d ms at %d fps, %s; %d round(s)\n", frame_count(s), s.from_ms,
                s.from_ms + s.seconds * ms_per_second - 1, s.fps, s.size.c_str(), s.rounds);
    for (int round = 0; round < s.rounds; ++round) {
        for (const auto& [label, program] : programs) {
            for (const std::string& kind : s.kinds) {
                if (kind == "upload" && label == "baseline") continue;  // older builds lack it
                const fs::path out = work / (label == "baseline" ? "old" : "new") / output_name(kind);
                fs::create_directories(out.parent_path());
                fs::remove_all(out);
                const std::string extra = kind == "upload" ? " --for-upload" : "";
                const Timing t =
                    run_timed(program + span_arguments(s) + " --size " + s.size + extra + " --out " + out.string(),
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
    std::printf("\nquality of the videos against the PNG frames of the same span:\n");
    for (const auto& [label, program] : programs) {
        const fs::path dir = work / (label == "baseline" ? "old" : "new");
        for (const std::string& kind : s.kinds) {
            if (kind == "png" || !fs::exists(dir / output_name(kind))) continue;
            std::printf("  %-10s %-6s %s\n", label.c_str(), kind.c_str(),
                        quality_of(dir / output_name(kind), dir / "frames", s.fps).c_str());
        }
    }
    if (!s.baseline.empty()) {
        const bool same =
            frame_checksums(work / "old" / "frames", s.fps) == frame_checksums(work / "new" / "frames", s.fps);
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
    const Filter filters[] = {{"none", PNG_FILTER_NONE},
                              {"sub", PNG_FILTER_SUB},
                              {"up", PNG_FILTER_UP},
                              {"paeth", PNG_FILTER_PAETH},
                              {"all", PNG_ALL_FILTERS}};
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
                const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
        run_timed(s.program + span_arguments(s) + " --size " + s.size + " --out " + frames.string(),
                  work / "capture.log");
    }
    // The frames as the capture sends them: BT.709 limited-range 4:2:0.
    const std::string tags = " -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv";
    const fs::path raw = work / "frames.yuv";
    run_timed("ffmpeg -nostdin -v error -y -framerate " + std::to_string(s.fps) + " -i " +
                  (frames / "frame_%06d.png").string() +
                  " -vf format=rgb24,scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd,format=yuv420p"
                  " -f rawvideo " +
                  raw.string(),
              work / "ffmpeg.log");
    const char* candidates[] = {
        "-preset ultrafast -crf 12",
        "-preset superfast -crf 14",
        "-preset veryfast -crf 12 -profile:v high",
        "-preset veryfast -crf 14 -profile:v high",
        "-preset faster -crf 14 -profile:v high",
        "-preset medium -crf 11 -profile:v high",
        "-preset medium -crf 12 -profile:v high",
        "-preset medium -crf 12 -profile:v high -aq-mode 2",
        "-preset medium -crf 13 -profile:v high",
        "-preset medium -crf 14 -profile:v high",
        "-preset medium -crf 16 -profile:v high",
        "-preset slow -crf 14 -profile:v high",
        "-preset slow -crf 15 -profile:v high",
        "-preset slow -crf 16 -profile:v high",
        "-preset slower -crf 16 -profile:v high",
    };
    std::printf(
        "\nH.264 settings, encoding the span's frames from BT.709 4:2:0 as the capture sends them (ffmpeg alone):\n");
    for (const char* candidate : candidates) {
        const fs::path video = work / "sweep.mp4";
        const Timing t = run_timed("ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt yuv420p -s " + s.size + tags +
                                       " -framerate " + std::to_string(s.fps) + " -i " + raw.string() +
                                       " -c:v libx264 " + candidate + tags + " -f mp4 " + video.string(),
                                   work / "ffmpeg.log");
        std::printf("  %-42s CPU %5.1f ms/frame, %6.2f MB, %s\n", candidate, t.cpu * ms_per_second / frame_count(s),
                    size_of(video) / bytes_per_mb, quality_of(video, frames, s.fps).c_str());
        std::fflush(stdout);
    }
    fs::remove(raw);
}

std::vector<std::string> split_kinds(const std::string& text) {
    std::vector<std::string> kinds;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start) kinds.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    // The quality figures compare against the PNG frames, so they are always made.
    if (std::find(kinds.begin(), kinds.end(), "png") == kinds.end()) kinds.push_back("png");
    return kinds;
}

bool parse(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--baseline" && has_value) s.baseline = argv[++i];
        else if (arg == "--rounds" && has_value)
            s.rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--from-ms" && has_value)
            s.from_ms = std::max(0, std::atoi(argv[++i]));
        else if (arg == "--seconds" && has_value)
            s.seconds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--fps" && has_value)
            s.fps = std::clamp(std::atoi(argv[++i]), 1, 240);
        else if (arg == "--size" && has_value)
            s.size = argv[++i];
        else if (arg == "--kinds" && has_value)
            s.kinds = split_kinds(argv[++i]);
        else if (arg == "--quality")
            s.quality = true;
        else if (arg == "--png-sweep")
            s.png_sweep = true;
        else if (arg == "--h264-sweep")
            s.h264_sweep = true;
        else
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    if (!parse(argc, argv, s)) {
        std::fprintf(stderr,
                     "usage: capture_bench [--baseline PROGRAM] [--rounds N] [--from-ms A] [--seconds S] [--fps F]\n"
                     "                     [--size WxH] [--kinds mp4,upload,png] [--quality] [--png-sweep]\n"
                     "                     [--h264-sweep]\n");
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
