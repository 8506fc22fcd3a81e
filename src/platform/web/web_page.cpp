// The page's side of the browser build, reached through web_page.js.
#include "platform/web/web_page.h"

#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>

extern "C" {
// web_page.js
void web_page_stop_sound();
void web_page_show_ended();
}

void page_canvas_pixels(int& width, int& height) {
    double css_width = 0.0;
    double css_height = 0.0;
    emscripten_get_element_css_size(canvas_selector, &css_width, &css_height);
    const double ratio = emscripten_get_device_pixel_ratio();
    width = std::max(1, static_cast<int>(std::lround(css_width * ratio)));
    height = std::max(1, static_cast<int>(std::lround(css_height * ratio)));
}

void page_show_ended() {
    web_page_stop_sound();
    web_page_show_ended();
}
