// The program's icon: the panel's ice-chrome block N on the panel blue, in a
// square with rounded corners, drawn afresh at each size it is shown at rather
// than scaled down, so the small sizes stay crisp. Used by the Windows
// executable, the desktop entry and the page.
#pragma once
#include <string>

#include "png_io.h"
#include "product.h"

// The sizes an icon set carries, in pixels a side (the product's, from the top
// CMakeLists.txt).
inline constexpr int icon_sizes[] = {INVITATION_ICON_SIZES};

// The icon at `size` x `size` pixels, truecolour with alpha.
PngImage draw_icon(int size);

// The file name of the icon of one size in an icon folder: icon_32.png.
std::string icon_file(int size);

// Draws every size into `folder` (which must exist). False with a one-line
// reason in `error` on the first failure.
bool write_icon_set(const std::string& folder, std::string& error);
