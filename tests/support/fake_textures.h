// Fake textures for the tests over the recording GL stand-in: entries in the
// show's texture registry with no image behind them and names no context gave
// out, so that what a drawing binds tells which slot it drew.
#pragma once
#include <cstdint>
#include <vector>

#include "assets/texture_loader.h"

// Fake names start here, above any the recorder gives out in a test.
constexpr GLuint first_fake_texture_name = 9000;

// Appends one registry entry (no surface; named first_fake_texture_name plus its
// index) and returns its record, sized width x height.
TextureRecord add_fake_texture(std::int32_t width, std::int32_t height);

// Puts a fake texture of its own, sized width x height, into each slot; returns
// their names in the order of the slots. Every call appends new entries, so it
// can run in each test's SetUp.
std::vector<GLuint> use_fake_textures(const std::vector<TextureRecord*>& slots, std::int32_t width = 64,
                                      std::int32_t height = 64);
