// Signed distances to shapes made of convex pieces.
#include "shapes.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

Affine place(float left, float top, float scale_x, float scale_y, float shear) {
    return Affine{scale_x, shear * scale_y, left, 0, scale_y, top};
}

Vec2 apply(const Affine& m, Vec2 p) { return {m.a * p.x + m.b * p.y + m.c, m.d * p.x + m.e * p.y + m.f}; }

Piece apply(const Affine& m, const Piece& piece) {
    Piece out = piece;
    for (int i = 0; i < piece.count; ++i) out.corner[i] = apply(m, piece.corner[i]);
    return out;
}

namespace {

// Distance from p to a convex piece and the nearest point on it (p itself inside).
float piece_distance(const Piece& piece, Vec2 p, Vec2& nearest) {
    assert(piece.count >= 3 && piece.count <= max_piece_corners);
    bool positive = false, negative = false;
    float best = std::numeric_limits<float>::max();
    for (int i = 0; i < piece.count; ++i) {
        const Vec2 a = piece.corner[i];
        const Vec2 b = piece.corner[(i + 1) % piece.count];
        const float ex = b.x - a.x, ey = b.y - a.y;
        const float cross = ex * (p.y - a.y) - ey * (p.x - a.x);
        (cross > 0 ? positive : negative) = true;
        const float length2 = ex * ex + ey * ey;
        float t = length2 > 0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / length2 : 0;
        t = std::clamp(t, 0.0f, 1.0f);
        const Vec2 q{a.x + t * ex, a.y + t * ey};
        const float d2 = (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y);
        if (d2 < best) {
            best = d2;
            nearest = q;
        }
    }
    if (!(positive && negative)) {
        nearest = p;
        return 0;
    }
    return std::sqrt(best);
}

float nearest_of(const std::vector<Piece>& pieces, Vec2 p, Vec2& nearest) {
    float best = std::numeric_limits<float>::max();
    for (const Piece& piece : pieces) {
        Vec2 q;
        const float d = piece_distance(piece, p, q);
        if (d < best) {
            best = d;
            nearest = q;
            if (d == 0) break;
        }
    }
    return best;
}

Vec2 unit(float x, float y) {
    const float length = std::sqrt(x * x + y * y);
    return length > 0 ? Vec2{x / length, y / length} : Vec2{0, -1};
}

}  // namespace

ShapeSample sample_shape(const Shape& shape, Vec2 p) {
    Vec2 q;
    const float outside = nearest_of(shape.filled, p, q);
    if (outside > 0) return {outside, unit(p.x - q.x, p.y - q.y)};
    const float inside = nearest_of(shape.empty, p, q);
    return {-inside, unit(q.x - p.x, q.y - p.y)};
}

float edge_coverage(float distance) { return std::clamp(0.5f - distance, 0.0f, 1.0f); }

float outside_distance(const Shape& shape, Vec2 p) {
    Vec2 q;
    return nearest_of(shape.filled, p, q);
}

namespace {

// Convex hull (monotone chain) of up to 2 × max_piece_corners / 2 points.
Piece hull(std::vector<Vec2> points) {
    std::sort(points.begin(), points.end(), [](Vec2 a, Vec2 b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    auto turn = [](Vec2 o, Vec2 a, Vec2 b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
    std::vector<Vec2> h(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && turn(h[k - 2], h[k - 1], points[i]) <= 1e-6f) --k;
        h[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, t = k + 1; i-- > 0;) {
        while (k >= t && turn(h[k - 2], h[k - 1], points[i]) <= 1e-6f) --k;
        h[k++] = points[i];
    }
    Piece out;
    assert(k - 1 <= static_cast<std::size_t>(max_piece_corners));
    for (std::size_t i = 0; i + 1 < k; ++i) out.corner[out.count++] = h[i];
    return out;
}

}  // namespace

Shape sweep(const Shape& shape, Vec2 offset) {
    Shape out;
    for (const Piece& p : shape.filled) {
        assert(p.count <= max_piece_corners / 2);
        std::vector<Vec2> points;
        for (int i = 0; i < p.count; ++i) {
            points.push_back(p.corner[i]);
            points.push_back({p.corner[i].x + offset.x, p.corner[i].y + offset.y});
        }
        out.filled.push_back(hull(points));
    }
    out.left = shape.left + std::min(0.0f, offset.x);
    out.right = shape.right + std::max(0.0f, offset.x);
    out.top = shape.top + std::min(0.0f, offset.y);
    out.bottom = shape.bottom + std::max(0.0f, offset.y);
    return out;
}
