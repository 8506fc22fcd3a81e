// music-composer OUTPUT: composes the show's module and writes it to OUTPUT.
#include <cstdio>
#include <exception>
#include <fstream>

#include "song.h"
#include "xm_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: music-composer OUTPUT.xm\n");
        return 2;
    }
    try {
        const auto bytes = xm::write_module(song::compose());
        std::ofstream out(argv[1], std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "music-composer: cannot write %s\n", argv[1]);
            return 1;
        }
        std::printf("wrote %s (%zu bytes)\n", argv[1], bytes.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "music-composer: %s\n", e.what());
        return 1;
    }
    return 0;
}
