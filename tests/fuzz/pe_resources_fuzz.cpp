// libFuzzer harness: the PE resource reader (tools/release) on arbitrary bytes,
// then the icon group and version information readers on whatever it found.
// Besides crashes, leaks and undefined behaviour it stops when a refusal is not
// one line or a read goes past the caps on resources and their bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pe_resources.h"

namespace {

void check_line(const std::string& error) {
    if (error.empty() || error.find('\n') != std::string::npos) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PeImage image;
    std::string error;
    if (!read_pe_image(data, size, image, error)) {
        check_line(error);
        return 0;
    }
    if (image.resources.size() > max_pe_resources) __builtin_trap();
    std::size_t total = 0;
    for (const PeResource& r : image.resources) total += r.data.size();
    if (total > max_pe_resource_bytes) __builtin_trap();
    for (const PeResource& r : image.resources) {
        if (r.type.named) continue;
        if (r.type.id == pe_type_group_icon) {
            std::vector<PeIconPicture> pictures;
            if (!read_icon_group(image, r, pictures, error)) check_line(error);
        } else if (r.type.id == pe_type_version) {
            PeVersionInfo info;
            if (!read_version_info(r.data, info, error)) check_line(error);
        }
    }
    return 0;
}
