// Holding back standard error while SDL probes its video drivers and opens the
// sound device (POSIX; on Windows nothing is held back, as nothing there prints
// on its own).
#include "platform/sdl_desktop/stderr_hold.h"

#include <cstdio>

#if defined(_WIN32)

int hold_stderr() { return -1; }
void release_stderr(int) {}

#else

#include <fcntl.h>
#include <unistd.h>

int hold_stderr() {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    if (saved < 0) return -1;
    const int null_device = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null_device < 0 || dup2(null_device, STDERR_FILENO) < 0) {
        if (null_device >= 0) close(null_device);
        close(saved);
        return -1;
    }
    close(null_device);
    return saved;
}

void release_stderr(int held) {
    if (held < 0) return;
    std::fflush(stderr);
    dup2(held, STDERR_FILENO);
    close(held);
}

#endif
