// Presses and releases one key through XTest at times it records, for the sync
// bench: the show prints its clock on each press and release of T.
//   key_tapper KEY TAPS HOLD_MS GAP_MS
// Each tap waits GAP_MS plus up to 40 ms more, holds the key HOLD_MS plus up to
// 40 ms more (the extra from a fixed pseudo-random sequence, so the key lands at
// every phase of the show's frame), and prints for the press and the release
//   down|up NS_BEFORE NS_AFTER
// CLOCK_MONOTONIC in ns just before the request and once XSync has returned, by
// which time the X server has queued the event for the window with the focus.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

std::int64_t monotonic_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void sleep_ms(double ms) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(ms / 1000);
    t.tv_nsec = static_cast<long>((ms - t.tv_sec * 1000.0) * 1e6);
    nanosleep(&t, nullptr);
}

// A small fixed sequence in [0, 40) ms: the same taps on every run.
double jitter_ms(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % 40000 / 1000.0;
}

void send(Display* display, unsigned keycode, bool press) {
    const std::int64_t before = monotonic_ns();
    XTestFakeKeyEvent(display, keycode, press ? True : False, CurrentTime);
    XSync(display, False);
    const std::int64_t after = monotonic_ns();
    std::printf("%s %lld %lld\n", press ? "down" : "up", static_cast<long long>(before), static_cast<long long>(after));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: key_tapper KEY TAPS HOLD_MS GAP_MS\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "key_tapper: cannot open the display (DISPLAY is '%s')\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
        std::fprintf(stderr, "key_tapper: the X server has no XTest extension\n");
        return 1;
    }
    const KeySym sym = XStringToKeysym(argv[1]);
    const unsigned keycode = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
    const int taps = std::atoi(argv[2]);
    const double hold_ms = std::atof(argv[3]), gap_ms = std::atof(argv[4]);
    if (keycode == 0 || taps <= 0 || hold_ms <= 0 || gap_ms <= 0) {
        std::fprintf(stderr, "key_tapper: unknown key '%s', or TAPS, HOLD_MS or GAP_MS not positive\n", argv[1]);
        return 2;
    }
    std::uint32_t state = 2008;
    for (int k = 0; k < taps; ++k) {
        sleep_ms(gap_ms + jitter_ms(state));
        send(display, keycode, true);
        sleep_ms(hold_ms + jitter_ms(state));
        send(display, keycode, false);
    }
    XCloseDisplay(display);
    return 0;
}
