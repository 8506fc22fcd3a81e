// Reading a user's file into memory with a type check and a size cap.
#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t read_block_bytes = 1 << 16;

std::string with_cause(const char* what) { return std::string(what) + " (" + std::strerror(errno) + ")"; }

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

bool read_input_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    // O_NONBLOCK: opening a pipe with no writer must not wait; it is refused below.
    Descriptor file{::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        error = with_cause("cannot open");
        return false;
    }
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) {
        error = with_cause("cannot read");
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? "a folder, not a file" : "not a regular file";
        return false;
    }
    const auto too_large = [&] {
        error = "larger than " + std::to_string(max_input_file_bytes >> 20) + " MiB";
        return false;
    };
    if (static_cast<std::uint64_t>(status.st_size) > max_input_file_bytes) return too_large();

    // The file may grow while it is read: never take more than the cap.
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    std::uint8_t block[read_block_bytes];
    for (;;) {
        const ssize_t n = ::read(file.fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            error = with_cause("cannot read");
            return false;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > max_input_file_bytes) {
            bytes.clear();
            return too_large();
        }
        bytes.insert(bytes.end(), block, block + n);
    }
    assert(bytes.size() <= max_input_file_bytes);
    return true;
}
