// The canvas follows the page: its drawing buffer is kept at the size the page
// shows it, so the picture is drawn at the screen's own resolution.
#include "platform/web/web_canvas.h"

#include <emscripten/html5.h>

#include "platform/web/web_page.h"
#include "runtime/display_settings.h"
#include "runtime/show.h"

bool fit_canvas_to_page() {
    int width = 0;
    int height = 0;
    page_canvas_pixels(width, height);
    if (width == screen_width && height == screen_height) return false;
    emscripten_set_canvas_element_size(canvas_selector, width, height);
    screen_width = width;
    screen_height = height;
    set_projection();
    return true;
}
