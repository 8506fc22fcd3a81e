// module-check FILE.xm: reports, one line each, every way the module departs
// from what the show relies on, then the beat at which each order starts.
// Exit status 1 when there is a fault (warnings alone give 0).
#include <cstdio>
#include <string>
#include <vector>

#include "input_file.h"
#include "module_check.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: module-check FILE.xm\n");
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!read_input_file(argv[1], bytes, error)) {
        std::fprintf(stderr, "%s: fault: %s\n", argv[1], error.c_str());
        return 1;
    }
    const xm_check::CheckReport report = xm_check::check_module(bytes.data(), bytes.size());

    for (const auto& f : report.findings) {
        std::fprintf(f.fault ? stderr : stdout, "%s: %s: %s\n", argv[1], f.fault ? "fault" : "warning", f.text.c_str());
    }
    for (std::size_t pos = 0; pos < report.orders.size(); ++pos) {
        const auto& o = report.orders[pos];
        std::printf("order %2zu  pattern %2d  starts at beat %g\n", pos, o.pattern,
                    static_cast<double>(o.start_ticks) / xm_check::ticks_per_beat);
    }
    if (report.readable) {
        std::printf("%s: %zu orders, one pass = %g beats (%g s at tempo 120)%s\n", argv[1], report.orders.size(),
                    static_cast<double>(report.pass_ticks) / xm_check::ticks_per_beat,
                    report.pass_ticks * 2.5 / xm_check::show_tempo, report.has_fault() ? "" : ", ok");
    }
    return report.has_fault() ? 1 : 0;
}
