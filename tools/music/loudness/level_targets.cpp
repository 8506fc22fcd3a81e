// The music's level targets checked against measured figures.
#include "level_targets.h"

#include <cstdio>

namespace loudness {

std::vector<std::string> level_faults(const LoudnessFigures& f) {
    std::vector<std::string> faults;
    char line[160];
    // Written so that a NaN fails too.
    if (!(f.integrated_lufs >= quietest_lufs && f.integrated_lufs <= loudest_lufs)) {
        std::snprintf(line, sizeof line, "integrated loudness %.2f LUFS, outside %.0f..%.0f LUFS", f.integrated_lufs,
                      quietest_lufs, loudest_lufs);
        faults.push_back(line);
    }
    if (!(f.true_peak_dbtp <= highest_true_peak_dbtp)) {
        std::snprintf(line, sizeof line, "true peak %.2f dBTP, above %.1f dBTP", f.true_peak_dbtp,
                      highest_true_peak_dbtp);
        faults.push_back(line);
    }
    if (f.clipped_samples > 0) {
        std::snprintf(line, sizeof line, "%lld samples at full scale (clipped)",
                      static_cast<long long>(f.clipped_samples));
        faults.push_back(line);
    }
    return faults;
}

}  // namespace loudness
