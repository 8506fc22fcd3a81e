// The Windows icon file (.ico) of the program's icon: the small sizes as 32-bit
// device-independent bitmaps with their AND masks, which every Windows reads, and
// 256 pixels as a PNG, as Explorer takes it from Vista on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One picture of the set: square, `size` pixels a side. Sizes below 256 carry
// `rgba` (rows top first); 256 carries the PNG file itself in `png`.
struct IcoPicture {
    int size = 0;
    std::vector<std::uint8_t> rgba;
    std::vector<std::uint8_t> png;
};

// The largest side an .ico entry can describe; it is also the one stored as PNG.
inline constexpr int ico_png_size = 256;

// The .ico bytes of `pictures`, in the order given. False with a one-line reason
// in `error` for an empty set, a size outside 1..256, a size given twice, or
// pixels that do not match the size.
bool make_ico(const std::vector<IcoPicture>& pictures, std::vector<std::uint8_t>& ico, std::string& error);
