// build/pe-resources FILE.exe: what a Windows executable carries as resources, one
// fact a line, for the release test to hold against what the build puts there:
//   machine 014c
//   time-stamp 0
//   resource GROUP_ICON "SDL_APP" language 1033 bytes 62
//   icon-group "SDL_APP": 16x16 32-bit bitmap 1128 bytes, ..., 256x256 32-bit png 9000 bytes
//   file-version MAJOR.MINOR.PATCH.TWEAK
//   product-version MAJOR.MINOR.PATCH.TWEAK
//   version-table 040904B0
//   version-string ProductName: NAME
//   manifest then the manifest's lines, each after "| "
#include <cstdio>
#include <string>
#include <vector>

#include "input_file.h"
#include "pe_resources.h"

namespace {

int fail(const std::string& line) {
    std::fprintf(stderr, "pe-resources: %s\n", line.c_str());
    return 1;
}

std::string key_text(const PeResourceKey& key) { return key.named ? "\"" + key.name + "\"" : std::to_string(key.id); }

std::string version_text(const std::uint16_t* parts) {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
           std::to_string(parts[3]);
}

// Control characters would let one fact look like two lines.
std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return out;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) return fail("usage: pe-resources FILE.exe");
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!read_input_file(argv[1], bytes, error)) return fail(std::string(argv[1]) + ": " + error);
    PeImage image;
    if (!read_pe_image(bytes.data(), bytes.size(), image, error)) return fail(std::string(argv[1]) + ": " + error);

    std::printf("machine %04x\ntime-stamp %u\n", image.machine, image.time_stamp);
    for (const PeResource& r : image.resources)
        std::printf("resource %s %s language %u bytes %zu\n", printable(pe_type_name(r.type)).c_str(),
                    printable(key_text(r.name)).c_str(), r.language, r.data.size());
    for (const PeResource& r : image.resources) {
        if (r.type.named) continue;
        if (r.type.id == pe_type_group_icon) {
            std::vector<PeIconPicture> pictures;
            if (!read_icon_group(image, r, pictures, error))
                return fail("icon group " + key_text(r.name) + ": " + error);
            std::string line = "icon-group " + printable(key_text(r.name)) + ":";
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                const PeIconPicture& p = pictures[i];
                line += (i ? ", " : " ") + std::to_string(p.width) + "x" + std::to_string(p.height) + " " +
                        std::to_string(p.bit_count) + "-bit " + (p.png ? "png " : "bitmap ") + std::to_string(p.bytes) +
                        " bytes";
            }
            std::printf("%s\n", line.c_str());
        } else if (r.type.id == pe_type_version) {
            PeVersionInfo info;
            if (!read_version_info(r.data, info, error)) return fail("version information: " + error);
            std::printf("file-version %s\nproduct-version %s\n", version_text(info.file_version).c_str(),
                        version_text(info.product_version).c_str());
            for (const std::string& table : info.tables) std::printf("version-table %s\n", printable(table).c_str());
            for (const auto& [key, value] : info.strings)
                std::printf("version-string %s: %s\n", printable(key).c_str(), printable(value).c_str());
        } else if (r.type.id == pe_type_manifest) {
            std::printf("manifest %s\n", key_text(r.name).c_str());
            std::string line;
            for (std::uint8_t c : r.data) {
                if (c == '\n') {
                    std::printf("| %s\n", printable(line).c_str());
                    line.clear();
                } else if (c != '\r') {
                    line += static_cast<char>(c);
                }
            }
            if (!line.empty()) std::printf("| %s\n", printable(line).c_str());
        }
    }
    return 0;
}
