// A whole file written through an exclusively created temporary and a rename.
#include "output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int max_temporary_attempts = 100;

}  // namespace

bool write_output_file(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < max_temporary_attempts && fd < 0; ++attempt) {
        temporary = path + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = "cannot write " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const int write_errno = errno;
    const bool closed = ::close(fd) == 0;
    if (written != bytes.size() || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int cause = written != bytes.size() ? write_errno : errno;
        std::remove(temporary.c_str());
        error = "cannot write " + path + " (" + std::strerror(cause) + ")";
        return false;
    }
    return true;
}
