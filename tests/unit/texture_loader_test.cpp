// The texture loader over the recording GL stand-in: what reaches the upload, the
// texture state it sets, the registry it fills, and its orderly failures.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "assets/texture_loader.h"
#include "gl_recorder.h"

namespace {

using gl_recorder::Op;

constexpr Uint32 opaque = 0xFF000000;

// A 32-bit image in the loader's own RGBA layout, with the per-surface alpha flag
// the PNG decoder sets on images that carry alpha.
SDL_Surface* make_rgba(int w, int h) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    SDL_SetAlpha(s, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    return s;
}

Uint32* row_of(SDL_Surface* s, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
}

// Every pixel holds its own position (y * w + x) in red/green/blue, alpha 255, so
// each uploaded texel tells which source pixel it came from.
SDL_Surface* make_numbered(int w, int h) {
    SDL_Surface* s = make_rgba(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) row_of(s, y)[x] = static_cast<Uint32>(y * w + x) | opaque;
    return s;
}

class TextureLoader : public testing::Test {
protected:
    void SetUp() override { gl_recorder::reset(); }
    void TearDown() override {
        for (SDL_Surface* s : registry.surfaces) SDL_FreeSurface(s);
    }

    const gl_recorder::Texture& uploaded(const TextureRecord& record) {
        return gl_recorder::state().textures.at(registry.texture_names.at(record.index));
    }
    Uint32 texel(const TextureRecord& record, int x, int y) {
        const auto& t = uploaded(record);
        Uint32 word;
        std::memcpy(&word, t.pixels.data() + (static_cast<std::size_t>(y) * t.width + x) * 4, 4);
        return word;
    }
    // Source position (column, row) a texel of a numbered image came from.
    std::pair<int, int> source_of(const TextureRecord& record, int x, int y) {
        const int id = static_cast<int>(texel(record, x, y) & ~opaque);
        return {id % record.width, id / record.width};
    }
    GLint parameter(const TextureRecord& record, GLenum name) { return uploaded(record).parameters.at(name); }

    TextureRegistry registry;
};

// --- Resampling to a power of two --------------------------------------------

TEST_F(TextureLoader, PowerOfTwoImagesAreCopiedOneForOne) {
    for (auto [w, h] : {std::pair{256, 256}, std::pair{1, 1}}) {
        const TextureRecord record = load_texture(make_numbered(w, h), registry);
        ASSERT_EQ(uploaded(record).width, w);
        ASSERT_EQ(uploaded(record).height, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(source_of(record, x, y), std::pair(x, y)) << x << "," << y;
    }
}

TEST_F(TextureLoader, OtherSizesStretchByNearestNeighbour) {
    const TextureRecord record = load_texture(make_numbered(257, 600), registry);
    EXPECT_EQ(uploaded(record).width, 512);
    EXPECT_EQ(uploaded(record).height, 1024);
    EXPECT_EQ(source_of(record, 0, 0), std::pair(0, 0));
    EXPECT_EQ(source_of(record, 1, 0), std::pair(0, 0));
    EXPECT_EQ(source_of(record, 511, 0).first, 256);
    EXPECT_EQ(source_of(record, 0, 1023).second, 599);
    EXPECT_EQ(source_of(record, 511, 1023), std::pair(256, 599));
}

// For awkward sizes: every texel comes from inside the source, each target row
// (column) comes from one source row (column), and the rows and columns advance
// by 0 or 1 from first to last, so every source pixel shows up.
TEST_F(TextureLoader, EveryTexelMapsInsideTheSourceForAwkwardSizes) {
    const int sizes[] = {1, 2, 3, 7, 100, 199, 200, 255, 256, 257, 511, 513, 640, 1000, 1023, 1024, 1025};
    constexpr int n = sizeof sizes / sizeof sizes[0];
    std::vector<std::pair<int, int>> pairs = {{1, 1025}, {1025, 1}};
    for (int i = 0; i < n; ++i) pairs.emplace_back(sizes[i], sizes[(i * 7 + 3) % n]);

    for (auto [w, h] : pairs) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        gl_recorder::reset();
        const TextureRecord record = load_texture(make_numbered(w, h), registry);
        const auto& texture = uploaded(record);
        const int tw = texture.width, th = texture.height;
        ASSERT_GE(tw, w);
        ASSERT_LT(tw, 2 * w);
        ASSERT_GE(th, h);
        ASSERT_LT(th, 2 * h);
        std::vector<Uint32> words(static_cast<std::size_t>(tw) * th);
        std::memcpy(words.data(), texture.pixels.data(), words.size() * 4);

        // Plain checks in the loop (it visits millions of texels); one verdict per size.
        std::vector<int> column_of(tw);
        int previous_row = 0, bad_rows = 0, bad_texels = 0;
        for (int y = 0; y < th; ++y) {
            const Uint32* row = words.data() + static_cast<std::size_t>(y) * tw;
            const int source_row = static_cast<int>((row[0] & ~opaque) / w);
            bad_rows += source_row != previous_row && source_row != previous_row + 1;
            previous_row = source_row;
            for (int x = 0; x < tw; ++x) {
                const int id = static_cast<int>(row[x] & ~opaque);
                if (y == 0) column_of[x] = id % w;
                bad_texels +=
                    (row[x] & opaque) != opaque || id >= w * h || id / w != source_row || id % w != column_of[x];
            }
        }
        EXPECT_EQ(bad_rows, 0);
        EXPECT_EQ(bad_texels, 0);
        EXPECT_EQ(previous_row, h - 1);
        EXPECT_EQ(column_of[0], 0);
        EXPECT_EQ(column_of[tw - 1], w - 1);
        for (int x = 1; x < tw; ++x) {
            const int step = column_of[x] - column_of[x - 1];
            ASSERT_TRUE(step == 0 || step == 1) << "column " << x;
        }
        SDL_FreeSurface(registry.surfaces.back());
        registry.surfaces.back() = nullptr;
    }
}

TEST_F(TextureLoader, AnImageWithoutPixelsGivesOneTransparentTexel) {
    const TextureRecord record = load_texture(make_rgba(0, 0), registry);
    EXPECT_EQ(record.width, 0);
    EXPECT_EQ(uploaded(record).width, 1);
    EXPECT_EQ(uploaded(record).height, 1);
    EXPECT_EQ(texel(record, 0, 0), 0u);
}

// --- Texture state and the record ---------------------------------------------

TEST_F(TextureLoader, UploadSetsRepeatFilterAlignmentAndLeavesTheTextureBound) {
    const TextureRecord record = load_texture(make_rgba(480, 288), registry);
    EXPECT_EQ(record.width, 480);
    EXPECT_EQ(record.height, 288);
    const GLuint name = registry.texture_names[record.index];
    // Wrap S before T, magnification before minification, alignment before upload.
    const std::vector<std::string> expected = {"GenTextures",  "BindTexture " + std::to_string(name),
                                               "TexParameter", "TexParameter",
                                               "TexParameter", "TexParameter",
                                               "PixelStore",   "TexImage2D"};
    EXPECT_EQ(gl_recorder::trace(), expected);
    const auto params = gl_recorder::calls_of(Op::TexParameter);
    const GLenum order[] = {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(params[k].i[0], order[k]);
    EXPECT_EQ(parameter(record, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(record, GL_TEXTURE_WRAP_T), GL_REPEAT);

    const auto upload = gl_recorder::calls_of(Op::TexImage2D).at(0);
    EXPECT_EQ(upload.target, static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(upload.i[0], 0);  // level
    EXPECT_EQ(upload.i[1], GL_RGBA);
    EXPECT_EQ(upload.i[2], 512);
    EXPECT_EQ(upload.i[3], 512);
    EXPECT_EQ(uploaded(record).format, static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(uploaded(record).type, static_cast<GLenum>(GL_UNSIGNED_BYTE));
    EXPECT_EQ(gl_recorder::state().unpack_alignment, 1);
    EXPECT_EQ(gl_recorder::state().bound_texture, name);
}

TEST_F(TextureLoader, FilterFollowsTheSourceSize) {
    const struct {
        int w, h;
        GLint filter;
    } cases[] = {{199, 199, GL_NEAREST}, {1, 1, GL_NEAREST},    {200, 1, GL_LINEAR},
                 {1, 200, GL_LINEAR},    {320, 192, GL_LINEAR}, {129, 129, GL_NEAREST}};
    for (const auto& c : cases) {
        const TextureRecord record = load_texture(make_rgba(c.w, c.h), registry);
        EXPECT_EQ(parameter(record, GL_TEXTURE_MAG_FILTER), c.filter) << c.w << "x" << c.h;
        EXPECT_EQ(parameter(record, GL_TEXTURE_MIN_FILTER), c.filter) << c.w << "x" << c.h;
    }
}

TEST_F(TextureLoader, RecordsCountUpAndBothArraysGrowTogether) {
    for (int n = 0; n < 3; ++n) {
        const TextureRecord record = load_texture(make_rgba(3 + n, 5), registry);
        EXPECT_EQ(record.index, n);
        ASSERT_EQ(registry.surfaces.size(), static_cast<std::size_t>(n + 1));
        ASSERT_EQ(registry.texture_names.size(), registry.surfaces.size());
        // The retained image is the power-of-two copy, in the RGBA layout.
        EXPECT_EQ(registry.surfaces[n]->w, 4 << (n == 2));
        EXPECT_EQ(registry.surfaces[n]->h, 8);
        EXPECT_EQ(registry.surfaces[n]->format->Rmask, 0x000000FFu);
        EXPECT_EQ(registry.surfaces[n]->format->Amask, 0xFF000000u);
    }
    EXPECT_NE(registry.texture_names[0], registry.texture_names[1]);
}

// --- Alpha ------------------------------------------------------------------

TEST_F(TextureLoader, AlphaIsCopiedNotBlendedOntoTheEmptySurface) {
    SDL_Surface* image = make_rgba(2, 1);
    ASSERT_TRUE(image->flags & SDL_SRCALPHA);
    row_of(image, 0)[0] = 0xAA332211;  // R 0x11, G 0x22, B 0x33, alpha 170
    row_of(image, 0)[1] = 0x00FFFFFF;  // white, fully transparent
    const TextureRecord record = load_texture(image, registry);
    EXPECT_EQ(texel(record, 0, 0), 0xAA332211u);
    EXPECT_EQ(texel(record, 1, 0), 0x00FFFFFFu);
}

TEST_F(TextureLoader, ColourKeyedPaletteEntryBecomesTransparentAndTheRestOpaque) {
    SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 1, 8, 0, 0, 0, 0);
    SDL_Color colours[2] = {{10, 20, 30, 0}, {200, 100, 50, 0}};
    SDL_SetColors(image, colours, 0, 2);
    const Uint8 indices[4] = {0, 1, 0, 1};
    std::memcpy(image->pixels, indices, 4);
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, 1);
    const TextureRecord record = load_texture(image, registry);
    EXPECT_EQ(texel(record, 0, 0), 0xFF1E140Au);
    EXPECT_EQ(texel(record, 1, 0), 0u);
    EXPECT_EQ(texel(record, 2, 0), 0xFF1E140Au);
    EXPECT_EQ(texel(record, 3, 0), 0u);
}

TEST_F(TextureLoader, ImagesWithoutAlphaComeOutOpaque) {
    SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 1, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    std::memset(image->pixels, 0x7F, 6);
    const TextureRecord record = load_texture(image, registry);
    EXPECT_EQ(texel(record, 0, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(texel(record, 1, 0), 0xFF7F7F7Fu);
}

// --- Orderly failures (each in a child process) ---------------------------------

class TextureLoaderFailure : public TextureLoader {
protected:
    void SetUp() override {
        TextureLoader::SetUp();
        saved_style_ = GTEST_FLAG_GET(death_test_style);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    void TearDown() override {
        GTEST_FLAG_SET(death_test_style, saved_style_);
        TextureLoader::TearDown();
    }
    std::string saved_style_;
};

TEST_F(TextureLoaderFailure, NoImageIsOneLineAndStatusOne) {
    EXPECT_EXIT(load_texture(nullptr, registry), testing::ExitedWithCode(1), "^load_texture: no image was decoded\n$");
}

TEST_F(TextureLoaderFailure, ConversionSurfaceRefusedIsOneLineAndStatusOne) {
    // No real image makes SDL refuse its own size at 32 bits per pixel, so the
    // child hands over one whose stated width SDL rejects.
    EXPECT_EXIT(
        {
            SDL_Surface* image = make_rgba(4, 4);
            image->w = -1;
            load_texture(image, registry);
        },
        testing::ExitedWithCode(1), "^CreateRGBSurface failed: [^\n]+\n$");
}

TEST_F(TextureLoaderFailure, PowerOfTwoSurfaceRefusedIsTheSameLineAndStatusOne) {
    // 9000 wide converts fine but needs a 16384-wide texture image, beyond what SDL makes.
    SDL_Surface* probe = SDL_CreateRGBSurface(SDL_SWSURFACE, 16384, 1, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    if (probe) {
        SDL_FreeSurface(probe);
        GTEST_SKIP() << "this SDL makes 16384-wide surfaces";
    }
    EXPECT_EXIT(load_texture(make_rgba(9000, 1), registry), testing::ExitedWithCode(1),
                "^CreateRGBSurface failed: [^\n]+\n$");
}

TEST_F(TextureLoaderFailure, LookupOutsideTheRegistryNamesIndexAndLength) {
    // The child starts with an empty registry and loads three images into it.
    const auto lookup = [](std::int32_t index) {
        for (int n = 0; n < 3; ++n) load_texture(make_rgba(1, 1), texture_registry);
        return static_cast<int>(texture_name(index));
    };
    EXPECT_EXIT(lookup(3), testing::ExitedWithCode(1),
                "^texture_name: index 3 is outside the texture registry of length 3\n$");
    EXPECT_EXIT(lookup(-1), testing::ExitedWithCode(1),
                "^texture_name: index -1 is outside the texture registry of length 3\n$");
}

TEST_F(TextureLoader, LookupInsideTheRegistryGivesTheStoredName) {
    const TextureRecord record = load_texture(make_rgba(2, 2), texture_registry);
    EXPECT_EQ(texture_name(record.index), texture_registry.texture_names.back());
}

}  // namespace
