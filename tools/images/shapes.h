// Plane geometry for the generated art: convex pieces, affine placement and the
// signed distance to a shape made of such pieces, which gives exact anti-aliased
// edges, outlines and bevels at any size.
#pragma once
#include <vector>

struct Vec2 {
    float x = 0;
    float y = 0;
};

// A convex polygon with up to eight corners, in either winding.
constexpr int max_piece_corners = 8;
struct Piece {
    int count = 0;
    Vec2 corner[max_piece_corners];
};

// x' = a x + b y + c, y' = d x + e y + f.
struct Affine {
    float a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;
};
Affine place(float left, float top, float scale_x, float scale_y, float shear = 0);
Vec2 apply(const Affine& m, Vec2 p);
Piece apply(const Affine& m, const Piece& piece);

// A shape is the union of its filled pieces; the empty pieces cover the rest of
// the plane near it, so the distance from inside to the edge is known too.
struct Shape {
    std::vector<Piece> filled;
    std::vector<Piece> empty;
    float left = 0, top = 0, right = 0, bottom = 0;  // bounds of the filled pieces
};

struct ShapeSample {
    float distance;  // to the edge: positive outside, negative inside
    Vec2 outward;    // unit direction away from the shape at the nearest edge point
};

ShapeSample sample_shape(const Shape& shape, Vec2 p);
// Distance from p to the union of the filled pieces (0 inside).
float outside_distance(const Shape& shape, Vec2 p);

// The region the shape sweeps when moved by `offset`: every filled piece becomes
// the convex hull of itself and its moved copy. Only the filled side is kept.
Shape sweep(const Shape& shape, Vec2 offset);
// Share of a one-pixel footprint centred on the sample that the shape covers.
float edge_coverage(float distance);
