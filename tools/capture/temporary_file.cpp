// Exclusive creation, publishing by rename and removal of the run's own files.
#include "temporary_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

constexpr mode_t new_file_mode = 0666;  // narrowed by the umask, as for any new file
constexpr int random_letters = 6;
constexpr const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

std::string reason(const std::string& path, int err) { return "cannot write " + path + ": " + std::strerror(err); }

}  // namespace

std::string random_name_part() {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof letters) - 2);
    std::string part(random_letters, ' ');
    for (char& c : part) c = letters[pick(generator)];
    return part;
}

bool rename_without_replacing(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (link(from, to) != 0) return false;
    unlink(from);
    return true;
}

bool create_temporary(const std::string& final_path, const char* tag, TemporaryFile& temp, std::string& error) {
    temp = TemporaryFile{};
    for (int attempt = 0; attempt < name_attempts; ++attempt) {
        const std::string candidate = final_path + "." + tag + "-" + random_name_part();
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, new_file_mode);
        if (fd >= 0) {
            temp.path = candidate;
            temp.fd = fd;
            return true;
        }
        if (errno != EEXIST) {
            error = reason(final_path, errno);
            return false;
        }
    }
    error = reason(final_path, EEXIST);
    return false;
}

bool close_temporary(TemporaryFile& temp, std::string& error) {
    if (temp.fd < 0) return true;
    const int closed = close(temp.fd);
    temp.fd = -1;
    if (closed != 0) {
        error = reason(temp.path, errno);
        return false;
    }
    return true;
}

bool publish_temporary(TemporaryFile& temp, const std::string& final_path, bool replace, std::string& error) {
    if (!close_temporary(temp, error)) {
        discard_temporary(temp);
        return false;
    }
    const bool renamed = replace ? std::rename(temp.path.c_str(), final_path.c_str()) == 0
                                 : rename_without_replacing(temp.path.c_str(), final_path.c_str());
    if (!renamed) {
        error = errno == EEXIST ? "cannot write " + final_path + ": a file of that name appeared during the run"
                                : reason(final_path, errno);
        discard_temporary(temp);
        return false;
    }
    temp.path.clear();
    return true;
}

void discard_temporary(TemporaryFile& temp) {
    if (temp.fd >= 0) close(temp.fd);
    temp.fd = -1;
    if (!temp.path.empty()) unlink(temp.path.c_str());
    temp.path.clear();
}

bool write_temporary_file(const std::string& final_path, const void* bytes, std::size_t size, TemporaryFile& temp,
                          std::string& error) {
    if (!create_temporary(final_path, "partial", temp, error)) return false;
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = write(temp.fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = reason(final_path, n < 0 ? errno : ENOSPC);
            discard_temporary(temp);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    if (!close_temporary(temp, error)) {
        discard_temporary(temp);
        return false;
    }
    return true;
}

bool write_whole_file(const std::string& final_path, const void* bytes, std::size_t size, bool replace,
                      std::string& error) {
    TemporaryFile temp;
    return write_temporary_file(final_path, bytes, size, temp, error) &&
           publish_temporary(temp, final_path, replace, error);
}
