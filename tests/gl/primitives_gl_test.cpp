// Loaded textures drawn through the primitives on real OpenGL, read back from the
// frame: orientation on the y-down canvas, the binding rule, and colour modulation.
#include <gtest/gtest.h>

#include <SDL_opengl.h>

#include <cstdlib>

#include "assets/texture_loader.h"
#include "offscreen_gl.h"
#include "render/primitives.h"

namespace {

constexpr Uint32 red = 0xFF0000FF, green = 0xFF00FF00, blue = 0xFFFF0000, white = 0xFFFFFFFF;

SDL_Surface* make_rgba(int w, int h, Uint32 fill) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    SDL_FillRect(s, nullptr, fill);
    return s;
}

// 4 x 4 with a different colour in each quadrant: red top-left, green top-right,
// blue bottom-left, white bottom-right. Any flip or turn changes some corner.
SDL_Surface* make_quadrants() {
    SDL_Surface* s = make_rgba(4, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const Uint32 colour = y < 2 ? (x < 2 ? red : green) : (x < 2 ? blue : white);
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch)[x] = colour;
        }
    return s;
}

bool near(int value, int expected) { return std::abs(value - expected) <= 2; }

class PrimitivesGl : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(open_offscreen_canvas(1024, 768, &error)) << error;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1, 1, 1, 1);
    }
    // Textures are loaded after the canvas is open, as start-up does, then 0 is bound.
    TextureRecord load(SDL_Surface* image) {
        const TextureRecord record = load_texture(image, texture_registry);
        glBindTexture(GL_TEXTURE_2D, 0);
        return record;
    }
};

TEST_F(PrimitivesGl, TexturedQuadShowsItsImageUprightAndUnmirrored) {
    const TextureRecord texture = load(make_quadrants());
    draw_textured_quad(texture, 100, 100, 200, 200);
    const struct {
        int x, y, r, g, b;
    } expected[] = {{150, 150, 255, 0, 0}, {250, 150, 0, 255, 0}, {150, 250, 0, 0, 255}, {250, 250, 255, 255, 255}};
    for (const auto& e : expected)
        EXPECT_TRUE(same_colour(canvas_pixel(e.x, e.y), {e.r, e.g, e.b})) << e.x << "," << e.y;
    EXPECT_EQ(canvas_pixel(90, 150).r, 0);  // nothing outside the rectangle
}

TEST_F(PrimitivesGl, SolidRectAfterATexturedPrimitiveIsThePlainColour) {
    // Red texels: a green rectangle drawn with this texture still bound would come out black.
    const TextureRecord texture = load(make_rgba(8, 8, red));
    draw_textured_quad(texture, 0, 0, 64, 64);
    glColor4f(0, 1, 0, 1);
    draw_rect(200, 200, 50, 50);
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    glTranslatef(500, 300, 0);
    draw_textured_cube(texture, 20);
    glPopMatrix();
    glColor4f(0, 0, 1, 1);
    draw_centered_rect(700, 300, 40, 40);

    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_TRUE(same_colour(canvas_pixel(225, 225), {0, 255, 0}));
    EXPECT_TRUE(same_colour(canvas_pixel(700, 300), {0, 0, 255}));
    EXPECT_EQ(canvas_pixel(500, 300).r, 255);  // the cube itself is textured
}

TEST_F(PrimitivesGl, HalfAlphaColourHalvesTheTexturesAlpha) {
    // Red at alpha 170 (2/3) over a blue background: full colour blends 2/3 red,
    // colour alpha 0.5 blends 1/3.
    const TextureRecord texture = load(make_rgba(8, 8, 0xAA0000FF));
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_textured_quad(texture, 0, 0, 100, 100);
    glColor4f(1, 1, 1, 0.5f);
    draw_textured_quad(texture, 200, 0, 100, 100);
    glColor4f(1, 1, 1, 1);

    const Pixel full = canvas_pixel(50, 50);
    const Pixel half = canvas_pixel(250, 50);
    EXPECT_TRUE(near(full.r, 170) && near(full.b, 85)) << full.r << " " << full.b;
    EXPECT_TRUE(near(half.r, 85) && near(half.b, 170)) << half.r << " " << half.b;
}

}  // namespace
