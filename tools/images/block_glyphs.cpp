// The glyph table of the block face and its conversion into shapes.
//
// Block codes: '#' full, '.' empty; the 45-degree half blocks are named after the
// corner that is filled: 'L' bottom-left, 'J' bottom-right, 'F' top-left, '7'
// top-right. '<' is a full block with a notch cut from the right edge to the
// centre, '>' the same notch from the left; 'm' has it from the bottom, 'w' from
// the top. '^' and '_' are the top and bottom halves, '[' and ']' the left and
// right halves.
#include "block_glyphs.h"

#include <cassert>
#include <cstring>

namespace {

struct GlyphRows {
    char c;
    const char* rows[block_glyph_rows];
};

constexpr GlyphRows glyph_table[] = {
    {'!', {"..#..", "..#..", "..#..", ".....", "..#.."}}, {'(', {"..J#.", "..#..", "..#..", "..#..", "..7#."}},
    {')', {".#L..", "..#..", "..#..", "..#..", ".#F.."}}, {'*', {"..#..", ".J#L.", "#####", ".7#F.", "..#.."}},
    {',', {".....", ".....", ".....", "..#..", "..F.."}}, {'-', {".....", ".....", ".###.", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", "..#.."}}, {'0', {"J###L", "#...#", "#...#", "#...#", "7###F"}},
    {'1', {".J#..", "J##..", "..#..", "..#..", "#####"}}, {'2', {"J###L", "....#", "J###F", "#....", "#####"}},
    {'3', {"####L", "....#", ".###<", "....#", "####F"}}, {'4', {"#...#", "#...#", "#####", "....#", "....#"}},
    {'5', {"#####", "#....", "####L", "....#", "####F"}}, {'6', {"J###.", "#....", "####L", "#...#", "7###F"}},
    {'7', {"#####", "...J#", "..J#F", "..#..", "..#.."}}, {'8', {"J###L", "#...#", ">###<", "#...#", "7###F"}},
    {'9', {"J###L", "#...#", "7####", "....#", ".###F"}}, {':', {".....", "..#..", ".....", "..#..", "....."}},
    {';', {".....", "..#..", ".....", "..#..", "..F.."}}, {'?', {"J###L", "....#", "..##F", ".....", "..#.."}},
    {'@', {"J###L", "#J#L#", "#7##F", "#....", "7####"}}, {'A', {"J###L", "#...#", "#####", "#...#", "#...#"}},
    {'B', {"####L", "#...#", "####<", "#...#", "####F"}}, {'C', {"J####", "#....", "#....", "#....", "7####"}},
    {'D', {"####L", "#...#", "#...#", "#...#", "####F"}}, {'E', {"#####", "#....", "####.", "#....", "#####"}},
    {'F', {"#####", "#....", "####.", "#....", "#...."}}, {'G', {"J####", "#....", "#.###", "#...#", "7###F"}},
    {'H', {"#...#", "#...#", "#####", "#...#", "#...#"}}, {'I', {".###.", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"....#", "....#", "....#", "#...#", "7###F"}}, {'K', {"#..J#", "#.J#F", "###..", "#.7#L", "#..7#"}},
    {'L', {"#....", "#....", "#....", "#....", "#####"}}, {'M', {"#L.J#", "##J##", "#7#F#", "#...#", "#...#"}},
    {'N', {"#L..#", "##L.#", "#7#L#", "#.7##", "#..7#"}}, {'O', {"J###L", "#...#", "#...#", "#...#", "7###F"}},
    {'P', {"####L", "#...#", "####F", "#....", "#...."}}, {'Q', {"J###L", "#...#", "#...#", "#.7L#", "7###L"}},
    {'R', {"####L", "#...#", "####F", "#.7L.", "#..7#"}}, {'S', {"J####", "#....", "7###L", "....#", "####F"}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#.."}}, {'U', {"#...#", "#...#", "#...#", "#...#", "7###F"}},
    {'V', {"#...#", "#...#", "#...#", "7L.JF", ".7#F."}}, {'W', {"#...#", "#...#", "#J#L#", "##7##", "#F.7#"}},
    {'X', {"#L.J#", "7#L#F", ".7#F.", "J#F#L", "#F.7#"}}, {'Y', {"#...#", "7L.JF", ".7#F.", "..#..", "..#.."}},
    {'Z', {"#####", "...J#", ".J#F.", "J#F..", "#####"}},
};

const GlyphRows* find_glyph(char c) {
    for (const GlyphRows& g : glyph_table)
        if (g.c == c) return &g;
    return nullptr;
}

Piece piece(std::initializer_list<Vec2> corners, float x, float y) {
    Piece p;
    for (Vec2 v : corners) p.corner[p.count++] = {x + v.x, y + v.y};
    return p;
}

constexpr Vec2 tl{0, 0}, tr{1, 0}, br{1, 1}, bl{0, 1}, centre{0.5f, 0.5f};
constexpr Vec2 left_mid{0, 0.5f}, right_mid{1, 0.5f};

// Adds the filled and empty parts of one block at grid position (x, y).
void add_block(char code, float x, float y, Shape& s) {
    auto fill = [&](std::initializer_list<Vec2> c) { s.filled.push_back(piece(c, x, y)); };
    auto hole = [&](std::initializer_list<Vec2> c) { s.empty.push_back(piece(c, x, y)); };
    switch (code) {
    case '#': fill({tl, tr, br, bl}); break;
    case '.': hole({tl, tr, br, bl}); break;
    case 'L':
        fill({tl, br, bl});
        hole({tl, tr, br});
        break;
    case 'J':
        fill({tr, br, bl});
        hole({tl, tr, bl});
        break;
    case 'F':
        fill({tl, tr, bl});
        hole({tr, br, bl});
        break;
    case '7':
        fill({tl, tr, br});
        hole({tl, br, bl});
        break;
    case '<':
        fill({tl, tr, centre});
        fill({tl, centre, br, bl});
        hole({tr, br, centre});
        break;
    case '>':
        fill({tl, tr, centre});
        fill({tr, br, bl});
        hole({tl, centre, bl});
        break;
    case 'm':
        fill({tl, tr, centre});
        fill({tl, centre, bl});
        fill({tr, br, centre});
        hole({bl, centre, br});
        break;
    case 'w':
        fill({bl, br, centre});
        fill({tl, centre, bl});
        fill({tr, br, centre});
        hole({tl, tr, centre});
        break;
    case '^':
        fill({tl, tr, right_mid, left_mid});
        hole({left_mid, right_mid, br, bl});
        break;
    case '_':
        fill({left_mid, right_mid, br, bl});
        hole({tl, tr, right_mid, left_mid});
        break;
    case '[':
        fill({tl, {0.5f, 0}, {0.5f, 1}, bl});
        hole({{0.5f, 0}, tr, br, {0.5f, 1}});
        break;
    case ']':
        fill({{0.5f, 0}, tr, br, {0.5f, 1}});
        hole({tl, {0.5f, 0}, {0.5f, 1}, bl});
        break;
    default: assert(!"unknown block code");
    }
}

}  // namespace

bool has_block_glyph(char c) { return find_glyph(c) != nullptr; }

Shape block_glyph(char c, const Affine& placement) {
    const GlyphRows* g = find_glyph(c);
    assert(g);
    Shape local;
    for (int y = 0; y < block_glyph_rows; ++y) {
        assert(std::strlen(g->rows[y]) == block_glyph_columns);
        for (int x = 0; x < block_glyph_columns; ++x) add_block(g->rows[y][x], float(x), float(y), local);
    }
    // The plane around the grid is empty too: four wide bands framing it.
    constexpr float far = 1000;
    const float w = block_glyph_columns, h = block_glyph_rows;
    local.empty.push_back(Piece{4, {{-far, -far}, {w + far, -far}, {w + far, 0}, {-far, 0}}});
    local.empty.push_back(Piece{4, {{-far, h}, {w + far, h}, {w + far, h + far}, {-far, h + far}}});
    local.empty.push_back(Piece{4, {{-far, 0}, {0, 0}, {0, h}, {-far, h}}});
    local.empty.push_back(Piece{4, {{w, 0}, {w + far, 0}, {w + far, h}, {w, h}}});

    Shape s;
    for (const Piece& p : local.filled) s.filled.push_back(apply(placement, p));
    for (const Piece& p : local.empty) s.empty.push_back(apply(placement, p));
    bool first = true;
    for (const Piece& p : s.filled)
        for (int i = 0; i < p.count; ++i) {
            const Vec2 v = p.corner[i];
            if (first || v.x < s.left) s.left = v.x;
            if (first || v.x > s.right) s.right = v.x;
            if (first || v.y < s.top) s.top = v.y;
            if (first || v.y > s.bottom) s.bottom = v.y;
            first = false;
        }
    return s;
}

std::vector<Shape> block_text(const char* text, const Affine& placement, float advance) {
    std::vector<Shape> shapes;
    for (int i = 0; text[i]; ++i) {
        if (!has_block_glyph(text[i])) continue;
        Affine m = placement;
        m.c += placement.a * advance * i;
        m.f += placement.d * advance * i;
        shapes.push_back(block_glyph(text[i], m));
    }
    return shapes;
}
