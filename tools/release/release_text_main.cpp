// build/release-text --columns N [--lines N] IN.txt OUT: a release text from its
// UTF-8 template (the version already filled in by the build) as code page 437
// with CR LF line ends, refused with one line when it breaks the limits.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cp437_text.h"
#include "input_file.h"
#include "published_file.h"

namespace {

int fail(const std::string& line) {
    std::fprintf(stderr, "release-text: %s\n", line.c_str());
    return 1;
}

bool read_count(const char* text, int& value) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || n < 1 || n > 1000) return false;
    value = static_cast<int>(n);
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    const char* usage = "usage: release-text --columns N [--lines N] IN.txt OUT";
    TextLimits limits;
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        int* field = std::strcmp(argv[i], "--columns") == 0 ? &limits.max_columns
                     : std::strcmp(argv[i], "--lines") == 0 ? &limits.max_lines
                                                            : nullptr;
        if (!field || !read_count(argv[i + 1], *field)) return fail(usage);
    }
    if (argc - i != 2) return fail(usage);
    const std::string in = argv[i], out = argv[i + 1];
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!read_input_file(in, bytes, error)) return fail(in + ": " + error);
    std::vector<std::uint8_t> encoded;
    if (!encode_cp437(std::string(bytes.begin(), bytes.end()), limits, encoded, error)) return fail(in + ": " + error);
    if (!write_whole_file(out, encoded.data(), encoded.size(), true, error))
        return fail("cannot write " + out + " (" + error + ")");
    return 0;
}
