// Writing the generated set.
#include "image_set.h"

bool write_image_set(const std::string& folder, std::string& error) {
    for (const GeneratedImage& g : generated_images)
        if (!write_png(folder + "/" + g.file, g.draw(), error)) return false;
    return true;
}
