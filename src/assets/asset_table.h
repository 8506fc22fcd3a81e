// The embedded images' texture record slots, which the effects draw with, and
// the start-up step that fills them.
#pragma once
#include <cstddef>

#include "assets/embedded_files.h"
#include "assets/texture_loader.h"

// One slot per embedded image (test_pattern_texture ... final_picture_texture),
// zero until load_embedded_textures fills it.
#define DECLARE_TEXTURE_SLOT(name, file, slot) extern TextureRecord slot;
INVITATION_EMBEDDED_IMAGES(DECLARE_TEXTURE_SLOT)
#undef DECLARE_TEXTURE_SLOT

// Decodes one PNG held in memory and turns it into a texture. A stream that cannot
// be made or an image that does not decode ends the process with one line on
// standard error naming the image, and status 1.
TextureRecord load_embedded_image(const char* name, const unsigned char* bytes, std::size_t size);

// Decodes the ten images in table order, turns each into a texture and fills its
// slot, then binds texture 0.
void load_embedded_textures();
