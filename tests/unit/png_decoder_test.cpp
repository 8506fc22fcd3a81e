// The PNG decoder of the Windows and browser builds against SDL_image, which the
// Linux build uses: the same surface shape, flags, colour key, palette and pixels
// for the embedded images and for every PNG colour type, and the stream handled
// as SDL_image does.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "assets/embedded_data.h"
#include "platform/png_image/png_decoder.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

Surface decode_with_sdl_image(const Bytes& png) {
    return Surface(IMG_Load_RW(SDL_RWFromConstMem(png.data(), static_cast<int>(png.size())), 1));
}

Surface decode_with_decoder(const Bytes& png) {
    return Surface(decode_png_rw(SDL_RWFromConstMem(png.data(), static_cast<int>(png.size())), 1));
}

// Every property the texture loader can observe, with a message naming the first
// difference.
void expect_same_surface(const SDL_Surface* expected, const SDL_Surface* actual, const std::string& what) {
    ASSERT_TRUE(expected) << what << ": SDL_image failed: " << SDL_GetError();
    ASSERT_TRUE(actual) << what << ": decoder failed: " << SDL_GetError();
    ASSERT_EQ(expected->w, actual->w) << what;
    ASSERT_EQ(expected->h, actual->h) << what;
    ASSERT_EQ(expected->pitch, actual->pitch) << what;
    const SDL_PixelFormat& e = *expected->format;
    const SDL_PixelFormat& a = *actual->format;
    ASSERT_EQ(e.BitsPerPixel, a.BitsPerPixel) << what;
    EXPECT_EQ(e.Rmask, a.Rmask) << what;
    EXPECT_EQ(e.Gmask, a.Gmask) << what;
    EXPECT_EQ(e.Bmask, a.Bmask) << what;
    EXPECT_EQ(e.Amask, a.Amask) << what;
    const Uint32 flags = SDL_SRCALPHA | SDL_SRCCOLORKEY;
    EXPECT_EQ(expected->flags & flags, actual->flags & flags) << what;
    if (expected->flags & SDL_SRCCOLORKEY) {
        EXPECT_EQ(e.colorkey, a.colorkey) << what;
    }
    ASSERT_EQ(e.palette != nullptr, a.palette != nullptr) << what;
    if (e.palette) {
        ASSERT_EQ(e.palette->ncolors, a.palette->ncolors) << what;
        for (int i = 0; i < e.palette->ncolors; ++i) {
            const SDL_Color& ec = e.palette->colors[i];
            const SDL_Color& ac = a.palette->colors[i];
            EXPECT_TRUE(ec.r == ac.r && ec.g == ac.g && ec.b == ac.b) << what << ": palette entry " << i;
        }
    }
    const int row_bytes = expected->w * e.BytesPerPixel;
    for (int y = 0; y < expected->h; ++y) {
        const auto* er = static_cast<const unsigned char*>(expected->pixels) + y * expected->pitch;
        const auto* ar = static_cast<const unsigned char*>(actual->pixels) + y * actual->pitch;
        ASSERT_EQ(0, std::memcmp(er, ar, static_cast<std::size_t>(row_bytes))) << what << ": row " << y;
    }
}

// A small PNG in memory, with optional palette, transparency and gamma chunks.
struct PngShape {
    int width = 5;
    int height = 3;
    int colour_type = PNG_COLOR_TYPE_RGB;
    int bit_depth = 8;
    std::vector<png_color> palette;
    Bytes palette_alpha;
    bool rgb_key = false;
    bool gamma_chunk = false;
};

void append_to(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

Bytes make_png(const PngShape& shape) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, append_to, nullptr);
    png_set_IHDR(png, info, shape.width, shape.height, shape.bit_depth, shape.colour_type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!shape.palette.empty()) png_set_PLTE(png, info, shape.palette.data(), static_cast<int>(shape.palette.size()));
    if (!shape.palette_alpha.empty())
        png_set_tRNS(png, info, shape.palette_alpha.data(), static_cast<int>(shape.palette_alpha.size()), nullptr);
    png_color_16 key{0, 40, 80, 120, 0};
    if (shape.rgb_key) png_set_tRNS(png, info, nullptr, 0, &key);
    if (shape.gamma_chunk) png_set_gAMA(png, info, 0.7);
    png_write_info(png, info);

    // Sample values that cover the key colour and every palette entry.
    const int channels = png_get_channels(png, info);
    const int bytes_per_row = static_cast<int>(png_get_rowbytes(png, info));
    Bytes row(static_cast<std::size_t>(bytes_per_row));
    for (int y = 0; y < shape.height; ++y) {
        for (int i = 0; i < bytes_per_row; ++i) {
            row[static_cast<std::size_t>(i)] = static_cast<unsigned char>((i * 37 + y * 91) & 0xFF);
            if (shape.colour_type == PNG_COLOR_TYPE_PALETTE && shape.bit_depth == 8)
                row[static_cast<std::size_t>(i)] %= static_cast<unsigned char>(shape.palette.size());
        }
        if (shape.rgb_key && y == 1) {
            const unsigned char key_pixel[3] = {40, 80, 120};
            std::memcpy(row.data() + channels, key_pixel, 3);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<png_color> grey_ramp(int count) {
    std::vector<png_color> palette;
    for (int i = 0; i < count; ++i) {
        const auto level = static_cast<png_byte>(i * 255 / (count - 1));
        palette.push_back({level, static_cast<png_byte>(255 - level), static_cast<png_byte>(i * 7)});
    }
    return palette;
}

TEST(PngDecoder, EmbeddedImagesDecodeAsWithSdlImage) {
    struct Embedded {
        const char* name;
        const unsigned char* data;
        std::size_t size;
    };
#define EMBEDDED_ROW(name, file, slot) {file, name##_png, name##_png_size},
    const Embedded images[] = {INVITATION_EMBEDDED_IMAGES(EMBEDDED_ROW)};
#undef EMBEDDED_ROW
    int compared = 0;
    for (const Embedded& image : images) {
        if (image.size == 0) continue;  // not embedded in this build yet
        const Bytes png(image.data, image.data + image.size);
        expect_same_surface(decode_with_sdl_image(png).get(), decode_with_decoder(png).get(), image.name);
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no embedded images in this build";
}

TEST(PngDecoder, EveryColourTypeDecodesAsWithSdlImage) {
    std::vector<std::pair<std::string, PngShape>> cases;
    PngShape shape;
    cases.push_back({"truecolour", shape});
    shape.gamma_chunk = true;
    cases.push_back({"truecolour with gamma chunk, taken as stored", shape});
    shape = {};
    shape.rgb_key = true;
    cases.push_back({"truecolour with a transparent colour", shape});
    shape = {};
    shape.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
    cases.push_back({"truecolour with alpha", shape});
    shape.bit_depth = 16;
    cases.push_back({"16-bit truecolour with alpha", shape});
    shape = {};
    shape.colour_type = PNG_COLOR_TYPE_GRAY;
    cases.push_back({"grey", shape});
    shape.colour_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    cases.push_back({"grey with alpha", shape});
    shape = {};
    shape.colour_type = PNG_COLOR_TYPE_PALETTE;
    shape.palette = grey_ramp(6);
    cases.push_back({"palette, opaque", shape});
    shape.palette_alpha = {255, 255, 0, 255};
    cases.push_back({"palette, one transparent entry: colour key", shape});
    shape.palette_alpha = {0, 255, 0};
    cases.push_back({"palette, two transparent entries: alpha channel", shape});
    shape.palette_alpha = {255, 128};
    cases.push_back({"palette, a translucent entry: alpha channel", shape});
    shape = {};
    shape.colour_type = PNG_COLOR_TYPE_PALETTE;
    shape.bit_depth = 4;
    shape.width = 7;
    shape.palette = grey_ramp(16);
    cases.push_back({"4-bit palette", shape});

    for (const auto& [what, png_shape] : cases) {
        const Bytes png = make_png(png_shape);
        ASSERT_FALSE(png.empty()) << what;
        expect_same_surface(decode_with_sdl_image(png).get(), decode_with_decoder(png).get(), what);
    }
}

// A memory stream that counts how often it is closed. Closing still goes through
// the stream's own close, which frees everything the stream holds.
int closed_streams = 0;
int (*memory_close)(SDL_RWops*) = nullptr;

int count_close(SDL_RWops* stream) {
    ++closed_streams;
    return memory_close(stream);
}

SDL_RWops* counted_stream(const Bytes& bytes, SDL_RWops** inner) {
    *inner = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    memory_close = (*inner)->close;
    (*inner)->close = count_close;
    return *inner;
}

TEST(PngDecoder, ClosesTheStreamOnlyWhenAskedAndRewindsOnFailure) {
    PngShape shape;
    shape.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
    const Bytes png = make_png(shape);
    const Bytes truncated(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
    const Bytes not_png(64, 'x');
    SDL_RWops* stream = nullptr;

    closed_streams = 0;
    Surface kept(decode_png_rw(counted_stream(png, &stream), 0));
    EXPECT_TRUE(kept);
    EXPECT_EQ(0, closed_streams);
    SDL_RWclose(stream);

    closed_streams = 0;
    Surface closed(decode_png_rw(counted_stream(png, &stream), 1));
    EXPECT_TRUE(closed);
    EXPECT_EQ(1, closed_streams);

    for (const Bytes* bad : {&truncated, &not_png}) {
        closed_streams = 0;
        SDL_RWops* source = counted_stream(*bad, &stream);
        SDL_RWseek(source, 0, RW_SEEK_SET);
        EXPECT_EQ(nullptr, decode_png_rw(source, 0));
        EXPECT_STRNE("", SDL_GetError());
        EXPECT_EQ(0, SDL_RWtell(source)) << "the stream is back where decoding began";
        EXPECT_EQ(0, closed_streams);
        EXPECT_EQ(nullptr, decode_png_rw(source, 1));
        EXPECT_EQ(1, closed_streams);
    }
    EXPECT_EQ(nullptr, decode_png_rw(nullptr, 1));
}

TEST(PngDecoder, RefusesAHeaderWiderOrTallerThanAnyTexture) {
    // A valid file whose header asks for more than 8192 pixels on a side: refused
    // before a surface is made, so a tiny file cannot claim gigabytes.
    for (const auto& [width, height] : {std::pair{9000, 1}, std::pair{1, 9000}}) {
        PngShape shape;
        shape.width = width;
        shape.height = height;
        shape.colour_type = PNG_COLOR_TYPE_GRAY;
        const Bytes png = make_png(shape);
        ASSERT_FALSE(png.empty());
        EXPECT_FALSE(decode_with_decoder(png)) << width << "x" << height;
        EXPECT_STRNE("", SDL_GetError());
    }
    PngShape edge;
    edge.width = 8192;
    edge.height = 1;
    edge.colour_type = PNG_COLOR_TYPE_GRAY;
    EXPECT_TRUE(decode_with_decoder(make_png(edge)));
}

}  // namespace
