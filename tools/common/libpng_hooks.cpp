// libpng's error, warning and memory hooks for the tools.
#include "libpng_hooks.h"

#include <cstddef>
#include <cstdlib>

namespace libpng_hooks {

void keep_error_and_stop(png_structp png, png_const_charp message) {
    auto* kept = static_cast<PngMessage*>(png_get_error_ptr(png));
    if (kept && kept->text[0] == '\0' && message) {
        std::size_t n = 0;
        for (; message[n] && n + 1 < sizeof kept->text; ++n)
            kept->text[n] = message[n] >= ' ' && message[n] < 127 ? message[n] : '?';
        kept->text[n] = '\0';
    }
    png_longjmp(png, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

png_voidp bounded_malloc(png_structp, png_alloc_size_t size) {
    return size <= max_libpng_allocation ? std::malloc(size) : nullptr;
}

void bounded_free(png_structp, png_voidp area) { std::free(area); }

std::string with_reason(std::string line, const PngMessage& message) {
    if (message.text[0]) line += std::string(" (") + message.text + ")";
    return line;
}

}  // namespace libpng_hooks
