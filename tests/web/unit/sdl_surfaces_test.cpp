// The browser build's memory surfaces against what SDL 1.2's copying blits give
// the texture loader: palette, colour-keyed, 24-bit and 32-bit images into RGBA.
#include <gtest/gtest.h>

#include <SDL.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr Uint32 red_mask = 0x000000FF;
constexpr Uint32 green_mask = 0x0000FF00;
constexpr Uint32 blue_mask = 0x00FF0000;
constexpr Uint32 alpha_mask = 0xFF000000;

SDL_Surface* rgba_surface(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, red_mask, green_mask, blue_mask, alpha_mask);
}

// Bytes R, G, B, A of pixel (x, y) of a 32-bit surface.
std::array<Uint8, 4> rgba_at(const SDL_Surface* s, int x, int y) {
    std::array<Uint8, 4> px{};
    std::memcpy(px.data(), static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * 4, 4);
    return px;
}

using Rgba = std::array<Uint8, 4>;

}  // namespace

TEST(MemorySurface, RowsAreWholeWordsAndStartBlank) {
    SDL_Surface* palette = SDL_CreateRGBSurface(SDL_SWSURFACE, 5, 3, 8, 0, 0, 0, 0);
    SDL_Surface* rgb = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 2, 24, red_mask, green_mask, blue_mask, 0);
    ASSERT_NE(palette, nullptr);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(palette->pitch, 8);
    EXPECT_EQ(rgb->pitch, 12);
    ASSERT_NE(palette->format->palette, nullptr);
    EXPECT_EQ(palette->format->palette->ncolors, 256);
    for (int i = 0; i < palette->pitch * palette->h; ++i) EXPECT_EQ(static_cast<Uint8*>(palette->pixels)[i], 0);
    EXPECT_EQ(rgb->flags & SDL_SRCALPHA, 0u);
    SDL_FreeSurface(palette);
    SDL_FreeSurface(rgb);
}

TEST(MemorySurface, AlphaChannelMeansBlending) {
    SDL_Surface* s = rgba_surface(2, 2);
    EXPECT_NE(s->flags & SDL_SRCALPHA, 0u);
    EXPECT_EQ(SDL_SetAlpha(s, 0, 0), 0);
    EXPECT_EQ(s->flags & SDL_SRCALPHA, 0u);
    SDL_FreeSurface(s);
}

TEST(MemorySurface, RefusesSizesSdlRefusesAndEmptyImagesHaveNoPixels) {
    EXPECT_EQ(SDL_CreateRGBSurface(SDL_SWSURFACE, 16384, 4, 32, 0, 0, 0, 0), nullptr);
    EXPECT_NE(std::string(SDL_GetError()).find("too large"), std::string::npos);
    EXPECT_EQ(SDL_CreateRGBSurface(SDL_SWSURFACE, 4, -1, 32, 0, 0, 0, 0), nullptr);
    // Within SDL's limits but more bytes than an int can count.
    EXPECT_EQ(SDL_CreateRGBSurface(SDL_SWSURFACE, 16383, 65535, 32, 0, 0, 0, 0), nullptr);
    SDL_Surface* empty = SDL_CreateRGBSurface(SDL_SWSURFACE, 0, 0, 32, 0, 0, 0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->pixels, nullptr);
    SDL_FreeSurface(empty);
    SDL_FreeSurface(nullptr);
}

TEST(MemorySurfaceBlit, PaletteImageBecomesOpaqueColoursAndKeyedEntriesStayClear) {
    SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 1, 8, 0, 0, 0, 0);
    SDL_Palette* palette = image->format->palette;
    palette->ncolors = 3;
    palette->colors[0] = {10, 20, 30, 0};
    palette->colors[1] = {200, 100, 50, 0};
    palette->colors[2] = {1, 2, 3, 0};
    const Uint8 indices[4] = {0, 1, 2, 7};  // 7 lies past the palette's colours
    std::memcpy(image->pixels, indices, 4);
    ASSERT_EQ(SDL_SetColorKey(image, SDL_SRCCOLORKEY, 2), 0);

    SDL_Surface* out = rgba_surface(4, 1);
    ASSERT_EQ(SDL_UpperBlit(image, nullptr, out, nullptr), 0) << SDL_GetError();
    EXPECT_EQ(rgba_at(out, 0, 0), (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(rgba_at(out, 1, 0), (Rgba{200, 100, 50, 255}));
    EXPECT_EQ(rgba_at(out, 2, 0), (Rgba{0, 0, 0, 0}));  // keyed: left as it was
    EXPECT_EQ(rgba_at(out, 3, 0), (Rgba{0, 0, 0, 0}));
    SDL_FreeSurface(image);
    SDL_FreeSurface(out);
}

TEST(MemorySurfaceBlit, TruecolourImagesKeepTheirChannels) {
    SDL_Surface* rgb = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 2, 24, red_mask, green_mask, blue_mask, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            Uint8* p = static_cast<Uint8*>(rgb->pixels) + y * rgb->pitch + x * 3;
            p[0] = static_cast<Uint8>(10 * x + y);
            p[1] = static_cast<Uint8>(100 + x);
            p[2] = static_cast<Uint8>(200 + y);
        }
    SDL_Surface* out = rgba_surface(3, 2);
    ASSERT_EQ(SDL_UpperBlit(rgb, nullptr, out, nullptr), 0);
    EXPECT_EQ(rgba_at(out, 2, 1), (Rgba{21, 102, 201, 255}));
    EXPECT_EQ(rgba_at(out, 0, 0), (Rgba{0, 100, 200, 255}));

    SDL_Surface* rgba = rgba_surface(2, 1);
    const Uint8 pixels[8] = {1, 2, 3, 0, 9, 8, 7, 128};
    std::memcpy(rgba->pixels, pixels, sizeof pixels);
    SDL_SetAlpha(rgba, 0, 0);  // as the texture loader does: copy, do not blend
    SDL_Surface* copy = rgba_surface(2, 1);
    ASSERT_EQ(SDL_UpperBlit(rgba, nullptr, copy, nullptr), 0);
    EXPECT_EQ(std::memcmp(copy->pixels, pixels, sizeof pixels), 0);

    SDL_FreeSurface(rgb);
    SDL_FreeSurface(out);
    SDL_FreeSurface(rgba);
    SDL_FreeSurface(copy);
}

TEST(MemorySurfaceBlit, TruecolourKeyIgnoresAlpha) {
    SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 1, 24, red_mask, green_mask, blue_mask, 0);
    const Uint8 pixels[6] = {5, 6, 7, 5, 6, 8};
    std::memcpy(image->pixels, pixels, sizeof pixels);
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(image->format, 5, 6, 7));
    SDL_Surface* out = rgba_surface(2, 1);
    ASSERT_EQ(SDL_UpperBlit(image, nullptr, out, nullptr), 0);
    EXPECT_EQ(rgba_at(out, 0, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(rgba_at(out, 1, 0), (Rgba{5, 6, 8, 255}));
    SDL_FreeSurface(image);
    SDL_FreeSurface(out);
}

TEST(MemorySurfaceBlit, RefusesWhatItCannotDoExactly) {
    SDL_Surface* rgba = rgba_surface(2, 2);  // SDL_SRCALPHA: a blending blit
    SDL_Surface* out = rgba_surface(2, 2);
    EXPECT_EQ(SDL_UpperBlit(rgba, nullptr, out, nullptr), -1);
    EXPECT_NE(std::string(SDL_GetError()).find("blending"), std::string::npos);
    SDL_SetAlpha(rgba, 0, 0);
    SDL_Rect part{0, 0, 1, 1};
    EXPECT_EQ(SDL_UpperBlit(rgba, &part, out, nullptr), -1);
    SDL_Surface* palette = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 2, 8, 0, 0, 0, 0);
    EXPECT_EQ(SDL_UpperBlit(rgba, nullptr, palette, nullptr), -1);
    EXPECT_EQ(SDL_UpperBlit(nullptr, nullptr, out, nullptr), -1);
    SDL_FreeSurface(rgba);
    SDL_FreeSurface(out);
    SDL_FreeSurface(palette);
}

TEST(MemorySurfaceBlit, CoversOnlyTheAreaBothSurfacesHave) {
    SDL_Surface* small = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 24, red_mask, green_mask, blue_mask, 0);
    std::memset(small->pixels, 0x40, 3);
    SDL_Surface* big = rgba_surface(2, 2);
    ASSERT_EQ(SDL_UpperBlit(small, nullptr, big, nullptr), 0);
    EXPECT_EQ(rgba_at(big, 0, 0), (Rgba{0x40, 0x40, 0x40, 255}));
    EXPECT_EQ(rgba_at(big, 1, 1), (Rgba{0, 0, 0, 0}));
    SDL_Surface* tiny = rgba_surface(1, 1);
    ASSERT_EQ(SDL_UpperBlit(big, nullptr, tiny, nullptr), -1);  // big still blends
    SDL_SetAlpha(big, 0, 0);
    ASSERT_EQ(SDL_UpperBlit(big, nullptr, tiny, nullptr), 0);
    EXPECT_EQ(rgba_at(tiny, 0, 0), (Rgba{0x40, 0x40, 0x40, 255}));
    SDL_FreeSurface(small);
    SDL_FreeSurface(big);
    SDL_FreeSurface(tiny);
}

TEST(MemorySurface, MapRgbFindsTheNearestPaletteEntryAndSetsAlphaBits) {
    SDL_Surface* palette = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 8, 0, 0, 0, 0);
    palette->format->palette->ncolors = 3;
    palette->format->palette->colors[0] = {0, 0, 0, 0};
    palette->format->palette->colors[1] = {250, 0, 0, 0};
    palette->format->palette->colors[2] = {250, 0, 0, 0};
    EXPECT_EQ(SDL_MapRGB(palette->format, 240, 10, 0), 1u);  // the first of equals
    SDL_Surface* rgba = rgba_surface(1, 1);
    EXPECT_EQ(SDL_MapRGB(rgba->format, 1, 2, 3), 0xFF030201u);
    SDL_FreeSurface(palette);
    SDL_FreeSurface(rgba);
}
