// asset-check FOLDER
// Checks the ten embedded images in FOLDER. Prints one line per failure (file,
// property, expected, found) on standard error and exits 1; silent and 0 when
// every property holds.
#include <sys/stat.h>

#include <cstdio>

#include "asset_rules.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    struct stat status {};
    if (::stat(argv[1], &status) != 0 || !S_ISDIR(status.st_mode)) {
        std::fprintf(stderr, "%s: not a folder\n", argv[1]);
        return 1;
    }
    const std::vector<std::string> failures = check_asset_folder(argv[1]);
    for (const std::string& line : failures) std::fprintf(stderr, "%s\n", line.c_str());
    return failures.empty() ? 0 : 1;
}
