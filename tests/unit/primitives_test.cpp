// The drawing primitives over the recording GL stand-in: geometry in canvas units,
// vertex and face order, and the texture binding rule.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "assets/texture_loader.h"
#include "gl_recorder.h"
#include "render/primitives.h"

namespace {

using gl_recorder::Op;

// A record in the process-wide registry, as the primitives look names up there;
// the size is a non-square one to show the record's size plays no part.
TextureRecord registered_texture() {
    static const TextureRecord record = [] {
        SDL_Surface* image =
            SDL_CreateRGBSurface(SDL_SWSURFACE, 257, 600, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
        return load_texture(image, texture_registry);
    }();
    gl_recorder::reset();
    return record;
}

struct Point {
    float x, y;
    bool operator==(const Point&) const = default;
};

std::vector<Point> canvas_points() {
    std::vector<Point> out;
    for (const auto& v : gl_recorder::state().vertices) out.push_back({v.cx, v.cy});
    return out;
}

std::vector<Point> texture_points() {
    std::vector<Point> out;
    for (const auto& v : gl_recorder::state().vertices) out.push_back({v.s, v.t});
    return out;
}

void expect_matrix_and_colour_untouched() {
    const auto& s = gl_recorder::state();
    EXPECT_EQ(s.modelview.size(), 1u);
    EXPECT_EQ(s.modelview.back(), gl_recorder::identity());
    EXPECT_EQ(gl_recorder::count(Op::Color), 0);
    EXPECT_EQ(gl_recorder::count(Op::Begin), 1);
    EXPECT_EQ(gl_recorder::calls_of(Op::Begin)[0].target, static_cast<GLenum>(GL_QUADS));
}

// --- Solid rectangles ---------------------------------------------------------

TEST(SolidRects, CornerOrderTopLeftBottomLeftBottomRightTopRight) {
    gl_recorder::reset();
    draw_rect(100, 50, 30, 20);
    EXPECT_EQ(canvas_points(), (std::vector<Point>{{100, 50}, {100, 70}, {130, 70}, {130, 50}}));
    expect_matrix_and_colour_untouched();

    gl_recorder::reset();
    draw_centered_rect(10, 20, 2, 2);
    EXPECT_EQ(canvas_points(), (std::vector<Point>{{9, 19}, {9, 21}, {11, 21}, {11, 19}}));
    expect_matrix_and_colour_untouched();
}

TEST(SolidRects, NegativeSizeExtendsToTheOtherSide) {
    gl_recorder::reset();
    draw_rect(100, 50, -30, -20);
    const auto q = gl_recorder::quads().at(0);
    EXPECT_FLOAT_EQ(q.min_x(), 70);
    EXPECT_FLOAT_EQ(q.max_x(), 100);
    EXPECT_FLOAT_EQ(q.min_y(), 30);
    EXPECT_FLOAT_EQ(q.max_y(), 50);
}

TEST(SolidRects, BindNothingAndSendNoTextureCoordinates) {
    gl_recorder::reset();
    draw_rect(0, 0, 1, 1);
    draw_centered_rect(0, 0, 1, 1);
    EXPECT_EQ(gl_recorder::count(Op::BindTexture), 0);
    EXPECT_EQ(gl_recorder::count(Op::TexCoord), 0);
}

TEST(SolidRects, FollowTheCallersTransformation) {
    gl_recorder::reset();
    glTranslatef(500, 400, 0);
    glScalef(2, 2, 1);
    draw_centered_rect(0, 0, 10, 10);
    const auto q = gl_recorder::quads().at(0);
    EXPECT_FLOAT_EQ(q.min_x(), 490);
    EXPECT_FLOAT_EQ(q.max_y(), 410);
}

// --- Textured quad --------------------------------------------------------------

TEST(TexturedQuad, WholeImageUprightOverTheGivenRectangle) {
    const TextureRecord texture = registered_texture();
    draw_textured_quad(texture, 10, 0, 50, 768);
    // The record is 257 x 600; only the stated size counts.
    EXPECT_EQ(canvas_points(), (std::vector<Point>{{10, 0}, {10, 768}, {60, 768}, {60, 0}}));
    // t = 0 (the image's top row) along the top edge, s = 0 along the left edge.
    EXPECT_EQ(texture_points(), (std::vector<Point>{{0, 0}, {0, 1}, {1, 1}, {1, 0}}));
    expect_matrix_and_colour_untouched();
}

TEST(TexturedQuad, BindsAfterTheScaleAndUnbindsBeforeTheMatrixIsRestored) {
    const TextureRecord texture = registered_texture();
    draw_textured_quad(texture, 1, 2, 3, 4);
    const std::string name = std::to_string(texture_name(texture.index));
    const std::vector<std::string> expected = {"PushMatrix",    "Translate 1 2 0",
                                               "Scale 3 4 1",   "BindTexture " + name,
                                               "Begin QUADS",   "TexCoord 0 0",
                                               "Vertex 0 0 0",  "TexCoord 0 1",
                                               "Vertex 0 1 0",  "TexCoord 1 1",
                                               "Vertex 1 1 0",  "TexCoord 1 0",
                                               "Vertex 1 0 0",  "End",
                                               "BindTexture 0", "PopMatrix"};
    EXPECT_EQ(gl_recorder::trace(), expected);
    for (const auto& v : gl_recorder::state().vertices) EXPECT_EQ(v.texture, texture_name(texture.index));
}

// --- Textured cube ----------------------------------------------------------------

TEST(TexturedCube, SixFacesInOrderEachOnItsOwnPlaneWithTheWholeTexture) {
    const TextureRecord texture = registered_texture();
    constexpr float s = 8;
    draw_textured_cube(texture, s);
    const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const auto quads = gl_recorder::quads();
    ASSERT_EQ(quads.size(), 6u);
    ASSERT_EQ(gl_recorder::count(Op::Normal), 6);
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(testing::Message() << "face " << f);
        const float* n = normals[f];
        int corner_seen[2][2] = {};
        for (const auto& v : quads[f].v) {
            EXPECT_EQ(v.nx, n[0]);
            EXPECT_EQ(v.ny, n[1]);
            EXPECT_EQ(v.nz, n[2]);
            EXPECT_FLOAT_EQ(v.x * n[0] + v.y * n[1] + v.z * n[2], s);                  // on the face's own plane
            EXPECT_FLOAT_EQ(std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z), 3 * s);  // a cube corner
            ++corner_seen[static_cast<int>(v.s)][static_cast<int>(v.t)];
        }
        EXPECT_TRUE(corner_seen[0][0] == 1 && corner_seen[0][1] == 1 && corner_seen[1][0] == 1 &&
                    corner_seen[1][1] == 1);
        // Consecutive corners share an edge: the quad is not a bow-tie.
        for (int k = 0; k < 4; ++k) {
            const auto& a = quads[f].v[k];
            const auto& b = quads[f].v[(k + 1) % 4];
            EXPECT_EQ((a.x != b.x) + (a.y != b.y) + (a.z != b.z), 1);
        }
    }
}

TEST(TexturedCube, EveryCornerHasItsTextureCoordinateFromTheTable) {
    // Per face, in drawing order: the normal, then four corners as texture
    // coordinate (s, t) and position in units of the half-size.
    struct Corner {
        float s, t;
        int x, y, z;
    };
    struct Face {
        const char* name;
        int nx, ny, nz;
        Corner corners[4];
    };
    const Face table[6] = {
        {"+X", 1, 0, 0, {{0, 1, 1, -1, 1}, {0, 0, 1, 1, 1}, {1, 0, 1, 1, -1}, {1, 1, 1, -1, -1}}},
        {"-X", -1, 0, 0, {{1, 1, -1, -1, 1}, {1, 0, -1, 1, 1}, {0, 0, -1, 1, -1}, {0, 1, -1, -1, -1}}},
        {"+Y", 0, 1, 0, {{0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}, {0, 1, -1, 1, -1}}},
        {"-Y", 0, -1, 0, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, -1, -1}, {0, 1, -1, -1, -1}}},
        {"+Z", 0, 0, 1, {{1, 1, 1, -1, 1}, {1, 0, 1, 1, 1}, {0, 0, -1, 1, 1}, {0, 1, -1, -1, 1}}},
        {"-Z", 0, 0, -1, {{0, 1, 1, -1, -1}, {0, 0, 1, 1, -1}, {1, 0, -1, 1, -1}, {1, 1, -1, -1, -1}}},
    };
    const TextureRecord texture = registered_texture();
    constexpr float half = 48;
    draw_textured_cube(texture, half);
    const auto& vertices = gl_recorder::state().vertices;
    ASSERT_EQ(vertices.size(), 24u);
    for (int f = 0; f < 6; ++f) {
        for (int k = 0; k < 4; ++k) {
            const Corner& want = table[f].corners[k];
            const auto& got = vertices[static_cast<std::size_t>(f * 4 + k)];
            SCOPED_TRACE(testing::Message() << "face " << table[f].name << " corner " << k + 1);
            EXPECT_EQ((std::array<float, 2>{got.s, got.t}), (std::array<float, 2>{want.s, want.t}));
            EXPECT_EQ((std::array<float, 3>{got.x, got.y, got.z}),
                      (std::array<float, 3>{want.x * half, want.y * half, want.z * half}));
            EXPECT_EQ((std::array<float, 3>{got.nx, got.ny, got.nz}),
                      (std::array<float, 3>{float(table[f].nx), float(table[f].ny), float(table[f].nz)}));
        }
    }
}

TEST(TexturedCube, UnrotatedOnlyTheZFacesHaveAreaAndMinusZLiesOnTop) {
    const TextureRecord texture = registered_texture();
    glTranslatef(300, 200, 0);
    draw_textured_cube(texture, 8);
    const auto quads = gl_recorder::quads();
    ASSERT_EQ(quads.size(), 6u);
    std::vector<int> faces_with_area;
    for (int f = 0; f < 6; ++f)
        if (quads[f].max_x() > quads[f].min_x() && quads[f].max_y() > quads[f].min_y()) faces_with_area.push_back(f);
    EXPECT_EQ(faces_with_area, (std::vector<int>{4, 5}));  // +Z, then -Z drawn last
    for (int f : faces_with_area) {
        EXPECT_FLOAT_EQ(quads[f].min_x(), 292);
        EXPECT_FLOAT_EQ(quads[f].max_x(), 308);
        EXPECT_FLOAT_EQ(quads[f].min_y(), 192);
        EXPECT_FLOAT_EQ(quads[f].max_y(), 208);
    }
    EXPECT_EQ(quads[5].v[0].nz, -1);
}

TEST(TexturedCube, OneBatchBetweenBindingItsTextureAndBindingZero) {
    const TextureRecord texture = registered_texture();
    draw_textured_cube(texture, 1);
    const auto trace = gl_recorder::trace();
    ASSERT_EQ(trace.size(), 1u + 1u + 6u * 9u + 1u + 1u);  // bind, begin, faces, end, unbind
    EXPECT_EQ(trace.front(), "BindTexture " + std::to_string(texture_name(texture.index)));
    EXPECT_EQ(trace[1], "Begin QUADS");
    EXPECT_EQ(trace[trace.size() - 2], "End");
    EXPECT_EQ(trace.back(), "BindTexture 0");
    EXPECT_EQ(gl_recorder::count(Op::PushMatrix), 0);
    EXPECT_EQ(gl_recorder::count(Op::Color), 0);
}

}  // namespace
