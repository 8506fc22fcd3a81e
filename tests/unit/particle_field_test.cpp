// The rising particle field over the recording GL stand-in: spawning, the climb and
// its lifetimes, the edge columns, the riding cubes and their spin, and the bounds
// of every write into the grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <set>
#include <vector>

#include "assets/asset_table.h"
#include "fake_textures.h"
#include "gl_recorder.h"
#include "render/particle_field.h"
#include "render/particle_random.h"
#include "show_clock.h"

namespace {

using gl_recorder::Op;

constexpr int spawn_row = 378;
constexpr int spawns_per_call = 8;

// Seeds the generator so that the next `calls` calls spawn nothing in `columns`.
void seed_avoiding(std::initializer_list<int> columns, int calls) {
    for (unsigned seed = 1;; ++seed) {
        seed_particle_random(seed);
        bool hit = false;
        for (int k = 0; k < calls * spawns_per_call && !hit; ++k) {
            const int spawn = next_particle_random() % particle_columns;
            hit = std::find(columns.begin(), columns.end(), spawn) != columns.end();
        }
        if (!hit) {
            seed_particle_random(seed);
            return;
        }
    }
}

struct Point {
    float x, y;
    bool operator==(const Point&) const = default;
};

// Centres of the untextured squares drawn since the last reset, in drawing order.
std::vector<Point> squares() {
    std::vector<Point> out;
    for (const auto& q : gl_recorder::quads())
        if (q.v[0].texture == 0) out.push_back({(q.min_x() + q.max_x()) / 2, (q.min_y() + q.max_y()) / 2});
    return out;
}

struct Cube {
    Point centre;
    GLuint texture;
};

// Cubes drawn since the last reset: 24 textured vertices each, centred on their origin.
std::vector<Cube> cubes() {
    std::vector<Cube> out;
    std::vector<gl_recorder::Vertex> textured;
    for (const auto& v : gl_recorder::state().vertices)
        if (v.texture != 0) textured.push_back(v);
    for (std::size_t k = 0; k + 24 <= textured.size(); k += 24) {
        float x = 0, y = 0;
        for (std::size_t n = k; n < k + 24; ++n) x += textured[n].cx, y += textured[n].cy;
        out.push_back({{x / 24, y / 24}, textured[k].texture});
    }
    return out;
}

class ParticleField : public ::testing::Test {
protected:
    void SetUp() override {
        // Each cube slot gets a texture name of its own, so cubes can be told apart.
        cube_names = use_fake_textures({&cube_texture_a, &cube_texture_b, &cube_texture_c});
        reset_particle_field();
        set_clock_ms(0);
        gl_recorder::reset();
    }
    std::vector<GLuint> cube_names;  // of slots a, b and c
    static std::uint8_t& cell(int row, int column) { return particle_field.cells[row][column]; }
    static void step() {
        gl_recorder::reset();
        draw_particle_field();
    }
};

// --- Spawning ------------------------------------------------------------------

TEST_F(ParticleField, FirstCallDrawsEachNewColumnOnceInTheSpawnRowThenMovesIt) {
    // A seed whose first eight spawns put two in one live column.
    std::vector<int> spawned;
    for (unsigned seed = 1; spawned.empty(); ++seed) {
        seed_particle_random(seed);
        std::vector<int> columns;
        for (int k = 0; k < spawns_per_call; ++k) columns.push_back(next_particle_random() % particle_columns);
        const std::set<int> distinct(columns.begin(), columns.end());
        if (distinct.size() < columns.size() && !distinct.count(0) && !distinct.count(511)) {
            spawned.assign(distinct.begin(), distinct.end());  // left to right, as scanned
            seed_particle_random(seed);
        }
    }
    step();
    std::vector<Point> expected;
    for (int j : spawned) expected.push_back({2.0f * j, 756.0f});
    EXPECT_EQ(squares(), expected);
    EXPECT_LT(spawned.size(), static_cast<std::size_t>(spawns_per_call));
    int live = 0;
    for (int i = 0; i < particle_rows; ++i)
        for (int j = 0; j < particle_columns; ++j) live += cell(i, j);
    EXPECT_EQ(live, static_cast<int>(spawned.size()));
    for (int j : spawned) EXPECT_EQ(cell(spawn_row - 2 - j % 3, j), 1) << "column " << j;
    EXPECT_EQ(gl_recorder::state().color, (std::array<float, 4>{1, 1, 1, 0.5f}));
}

TEST_F(ParticleField, EdgeColumnsOfTheSpawnRowAreNeverDrawnNorMoved) {
    seed_particle_random(7);
    cell(spawn_row, 0) = 1;
    cell(spawn_row, 511) = 1;
    for (int call = 0; call < 200; ++call) {
        step();
        for (const Point& p : squares()) ASSERT_TRUE(p.x != 0 && p.x != 1022) << "call " << call;
    }
    for (int i = 0; i < particle_rows; ++i) {
        EXPECT_EQ(cell(i, 0), i == spawn_row) << "row " << i;
        EXPECT_EQ(cell(i, 511), i == spawn_row) << "row " << i;
    }
}

// --- Climbing ------------------------------------------------------------------

TEST_F(ParticleField, LifetimeInCallsDependsOnlyOnTheColumnClass) {
    struct Case {
        int column, step_rows, lifetime;
    };
    for (const Case c : {Case{99, 2, 189}, Case{100, 3, 126}, Case{32, 4, 95}}) {
        reset_particle_field();
        seed_avoiding({c.column}, 200);
        cell(spawn_row, c.column) = 1;
        int drawn = 0;
        for (int call = 0; call < 200; ++call) {
            step();
            for (const Point& p : squares()) {
                if (p.x != 2.0f * c.column) continue;
                EXPECT_EQ(p.y, 2.0f * (spawn_row - call * c.step_rows)) << "column " << c.column << " call " << call;
                ++drawn;
            }
        }
        EXPECT_EQ(drawn, c.lifetime) << "column " << c.column;
        for (int i = 0; i < particle_rows; ++i) EXPECT_EQ(cell(i, c.column), 0) << "row " << i;
    }
}

TEST_F(ParticleField, NothingIsWrittenOutsideTheLiveRowsInALongRandomRun) {
    std::srand(20080);  // random clock times; the field seeds itself
    seed_particle_random(20080);
    for (int call = 0; call < 400; ++call) {
        set_clock_ms(std::rand() - RAND_MAX / 2);  // negative times too
        step();
        for (int j = 0; j < particle_columns; ++j) {
            ASSERT_EQ(cell(0, j), 0) << "call " << call;
            for (int i = spawn_row + 1; i < particle_rows; ++i) ASSERT_EQ(cell(i, j), 0) << "call " << call;
        }
        for (int i = 0; i < spawn_row; ++i) ASSERT_TRUE(cell(i, 0) == 0 && cell(i, 511) == 0) << "call " << call;
        ASSERT_EQ(gl_recorder::state().modelview.size(), 1u);
        ASSERT_EQ(gl_recorder::count(Op::PushMatrix), gl_recorder::count(Op::PopMatrix));
    }
    int live = 0;
    for (int i = 1; i <= spawn_row; ++i)
        for (int j = 1; j < 511; ++j) live += cell(i, j);
    EXPECT_GT(live, 0);
    EXPECT_LE(live, 8 * 189);
}

// --- Cubes ---------------------------------------------------------------------

TEST_F(ParticleField, CubeRidesTheTopmostParticleUntilItLeavesThenTheNextOrNone) {
    seed_avoiding({32, 64}, 5);
    cell(10, 32) = 1;  // class 2: 4 rows per call
    cell(100, 32) = 1;
    cell(3, 64) = 1;  // class 1: 3 rows per call, leaves in the first call
    const float column_32_y[] = {20, 12, 4, 176, 168};
    for (int call = 0; call < 5; ++call) {
        step();
        std::vector<Cube> drawn = cubes();
        // Scan order: the row-3 particle of column 64 comes first in the first call.
        if (call == 0) {
            ASSERT_EQ(drawn.size(), 2u);
            EXPECT_NEAR(drawn[0].centre.x, 128, 1e-3);
            EXPECT_NEAR(drawn[0].centre.y, 6, 1e-3);
            EXPECT_EQ(drawn[0].texture, cube_names[1]);
            drawn.erase(drawn.begin());
        }
        ASSERT_EQ(drawn.size(), 1u) << "call " << call;
        EXPECT_NEAR(drawn[0].centre.x, 64, 1e-3) << "call " << call;
        EXPECT_NEAR(drawn[0].centre.y, column_32_y[call], 1e-3) << "call " << call;
        EXPECT_EQ(drawn[0].texture, cube_names[2]);
        EXPECT_EQ(gl_recorder::state().bound_texture, 0u);
    }
}

TEST_F(ParticleField, CubeSpinIsAQuarterTurnPerBeatPerClassStep) {
    cell(200, 32) = 1;  // class 2
    cell(200, 64) = 1;  // class 1
    cell(200, 96) = 1;  // class 0
    auto angles = [] {
        std::vector<float> out;
        for (const auto& c : gl_recorder::calls_of(Op::Rotate)) {
            EXPECT_EQ(c.f[1], 1.0f);
            EXPECT_EQ(c.f[2], 0.25f);
            EXPECT_EQ(c.f[3], 0.25f);
            out.push_back(c.f[0]);
        }
        return out;
    };
    seed_particle_random(1);
    set_clock_ms(0);
    step();
    EXPECT_EQ(angles(), (std::vector<float>{0, 0, 0}));
    set_clock_ms(500);  // one beat: classes 2, 1, 0 left to right
    step();
    EXPECT_EQ(angles(), (std::vector<float>{270, 180, 90}));
    set_clock_ms(2250);  // four and a half beats: whole turns drop out
    step();
    EXPECT_EQ(angles(), (std::vector<float>{135, 90, 45}));
}

}  // namespace
