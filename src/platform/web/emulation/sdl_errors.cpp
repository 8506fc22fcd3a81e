// SDL's error text for the browser build. The emulation's SDL_SetError drops the
// message, so a decoder or mixer failure would be reported as an unknown error;
// here the formatted text is kept until the next error replaces it.
#include <SDL.h>

#include <cstdarg>
#include <cstdio>

namespace {

constexpr int error_text_size = 1024;  // longer messages are cut, as in SDL
char error_text[error_text_size] = "";

}  // namespace

extern "C" {

void SDL_SetError(const char* format, ...) {
    if (!format) format = "";
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(error_text, sizeof error_text, format, arguments);
    va_end(arguments);
}

const char* SDL_GetError(void) { return error_text; }

void SDL_ClearError(void) { error_text[0] = '\0'; }

}  // extern "C"
