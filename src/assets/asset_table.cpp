// The embedded images in load order (embedded_files.h), their texture record
// slots, and the start-up step that decodes them from memory into textures.
#include "assets/asset_table.h"

#include <SDL_image.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "assets/embedded_data.h"

#define DEFINE_TEXTURE_SLOT(name, file, slot) TextureRecord slot{};
INVITATION_EMBEDDED_IMAGES(DEFINE_TEXTURE_SLOT)
#undef DEFINE_TEXTURE_SLOT

namespace {

struct EmbeddedImage {
    const char* name;
    const unsigned char* bytes;
    const std::size_t& size;
    TextureRecord& slot;
};

// Load order: an image's position here is its registry index.
#define EMBEDDED_IMAGE_ROW(name, file, slot) {file, name##_png, name##_png_size, slot},
const EmbeddedImage embedded_images[] = {INVITATION_EMBEDDED_IMAGES(EMBEDDED_IMAGE_ROW)};
#undef EMBEDDED_IMAGE_ROW

[[noreturn]] void image_failed(const char* name) {
    std::fprintf(stderr, "embedded image %s: %s\n", name, IMG_GetError());
    std::fflush(stderr);
    std::exit(1);
}

}  // namespace

TextureRecord load_embedded_image(const char* name, const unsigned char* bytes, std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) image_failed(name);
    // SDL 1.2 takes a non-const pointer; the stream only ever reads from it.
    SDL_RWops* stream = SDL_RWFromMem(const_cast<unsigned char*>(bytes), static_cast<int>(size));
    if (!stream) image_failed(name);
    SDL_Surface* image = IMG_Load_RW(stream, 1);  // the decoder closes the stream
    if (!image) image_failed(name);
    return load_texture(image, texture_registry);
}

void load_embedded_textures() {
    for (const EmbeddedImage& image : embedded_images)
        image.slot = load_embedded_image(image.name, image.bytes, image.size);
    // load_texture leaves each new texture bound; solid drawing needs texture 0.
    glBindTexture(GL_TEXTURE_2D, 0);
}
