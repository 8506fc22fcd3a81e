// Start-up and shutdown of SDL, audio, video and the fixed OpenGL state.
#include "runtime/startup.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "assets/embedded_data.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"
#include "runtime/display_settings.h"
#include "runtime/layer_scaling.h"
#include "runtime/main_loop.h"
#include "runtime/stderr_hold.h"
#include "runtime/video_driver.h"

[[noreturn]] static void fail(const char* what) {
    std::fprintf(stderr, "%s failed: %s\n", what, SDL_GetError());
    std::fflush(stderr);
    std::exit(1);
}

void seed_random_from_time() { seed_particle_random(static_cast<std::uint32_t>(std::time(nullptr))); }

// The drivers SDL tries on its way to a display may print their own lines; what
// matters comes in one line of the show's own. A restart lets the compatibility
// layer read its scaling setting again.
static void start_video(bool restart) {
    const int held = hold_stderr();
    if (restart) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    const int status = restart ? SDL_InitSubSystem(SDL_INIT_VIDEO) : SDL_Init(SDL_INIT_VIDEO);
    release_stderr(held);
    if (status != 0) fail("SDL_Init");
}

// Before a mode is set, SDL reports the desktop's mode as the current one.
static DesktopSize desktop_size() {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    return info ? DesktopSize{info->current_w, info->current_h} : unknown_desktop;
}

void init_sdl() {
    const VideoRequest request{screen_width, screen_height, fullscreen};
    choose_layer_scaling(request);
    start_video(false);
    char name[video_driver_name_size];
    const char* driver = SDL_VideoDriverName(name, sizeof name);
    if (!video_driver_allowed(driver, std::getenv("SDL_VIDEODRIVER"))) {
        std::fprintf(stderr, "%s\n", no_display_message);
        std::fflush(stderr);
        SDL_Quit();
        std::exit(1);
    }
    // Full screen at the desktop's own size needs no scaling either, and that size
    // is known only now.
    if (choose_layer_scaling_again(request, desktop_size())) start_video(true);
    // Only the picture is essential: without a sound device the show runs silent,
    // and open_music finds no device to open.
    SDL_InitSubSystem(SDL_INIT_AUDIO);
}

void open_music() {
    // Without a sound card ALSA prints its search for one; the show then runs silent.
    const int held = hold_stderr();
    const int status = Mix_OpenAudio(audio_rate, AUDIO_S16LSB, audio_channels, audio_buffer_frames);
    release_stderr(held);
    if (status != 0) return;
    if (music_module_size == 0) return;
    // The stream stays open for as long as the music plays.
    SDL_RWops* stream = SDL_RWFromMem(const_cast<unsigned char*>(music_module), static_cast<int>(music_module_size));
    music_handle = stream ? Mix_LoadMUS_RW(stream) : nullptr;
}

bool set_video_mode() {
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const Uint32 flags = SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0);
    return SDL_SetVideoMode(screen_width, screen_height, video_bits_per_pixel, flags) != nullptr;
}

void open_video() {
    if (!set_video_mode()) fail("SDL_SetVideoMode");
    SDL_ShowCursor(SDL_DISABLE);
    SDL_WM_SetCaption(window_caption, nullptr);
}

void set_fixed_gl_state() {
    glEnable(GL_COLOR_MATERIAL);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void set_projection() {
    if (screen_width <= 0 || screen_height <= 0) return;
    glViewport(0, 0, screen_width, screen_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, canvas_width, canvas_height, 0.0, -canvas_depth, canvas_depth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void start_clock_and_music() {
    start_beat_clock(SDL_GetTicks());
    if (music_handle) Mix_PlayMusic(music_handle, -1);
}

void shut_down() {
    Mix_CloseAudio();
    SDL_Quit();
}
