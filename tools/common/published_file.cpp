// Exclusive temporaries beside their targets, renamed into place, removed on failure.
#include "published_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

constexpr mode_t regular_file_mode = 0644;
constexpr mode_t executable_file_mode = 0755;
constexpr int random_letters = 6;
constexpr const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr const char* temporary_tag = ".partial-";

std::string error_text(int err) { return std::strerror(err); }

// O_EXCL never opens an existing name, a symbolic link included; O_NOFOLLOW says
// so once more.
int open_exclusive(const std::string& path, FileMode mode) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                mode == FileMode::executable ? executable_file_mode : regular_file_mode);
}

}  // namespace

std::string random_name_part() {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof letters) - 2);
    std::string part(random_letters, ' ');
    for (char& c : part) c = letters[pick(generator)];
    return part;
}

std::string temporary_name(const std::string& final_path, const std::string& part) {
    return final_path + temporary_tag + part;
}

bool check_target(const std::string& final_path, std::string& reason) {
    struct stat info {};
    if (lstat(final_path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;  // a new name (or a missing folder, which open() reports)
        reason = error_text(errno);
        return false;
    }
    if (S_ISREG(info.st_mode)) return true;
    reason = S_ISDIR(info.st_mode)   ? "it is a folder"
             : S_ISLNK(info.st_mode) ? "it is a symbolic link"
                                     : "it is not a regular file";
    return false;
}

bool rename_without_replacing(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (link(from, to) != 0) return false;
    unlink(from);
    return true;
}

bool create_temporary(const std::string& final_path, TemporaryFile& temp, std::string& reason, FileMode mode) {
    temp = TemporaryFile{};
    if (!check_target(final_path, reason)) return false;
    for (int attempt = 0; attempt < name_attempts; ++attempt) {
        const std::string candidate = temporary_name(final_path, random_name_part());
        const int fd = open_exclusive(candidate, mode);
        if (fd >= 0) {
            temp.path = candidate;
            temp.fd = fd;
            return true;
        }
        if (errno != EEXIST) {
            reason = error_text(errno);
            return false;
        }
    }
    reason = error_text(EEXIST);
    return false;
}

bool create_temporary_named(const std::string& final_path, const std::string& temporary, TemporaryFile& temp,
                            std::string& reason, FileMode mode) {
    temp = TemporaryFile{};
    if (!check_target(final_path, reason)) return false;
    const int fd = open_exclusive(temporary, mode);
    if (fd < 0) {
        reason = error_text(errno);
        return false;
    }
    temp.path = temporary;
    temp.fd = fd;
    return true;
}

bool write_and_close_temporary(TemporaryFile& temp, const void* bytes, std::size_t size, std::string& reason) {
    assert(temp.fd >= 0 && !temp.path.empty());
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = write(temp.fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reason = error_text(n < 0 ? errno : ENOSPC);
            discard_temporary(temp);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    if (!close_temporary(temp, reason)) {
        discard_temporary(temp);
        return false;
    }
    return true;
}

bool close_temporary(TemporaryFile& temp, std::string& reason) {
    if (temp.fd < 0) return true;
    const int closed = close(temp.fd);
    temp.fd = -1;
    if (closed != 0) {
        reason = error_text(errno);
        return false;
    }
    return true;
}

bool rename_into_place(const std::string& temporary, const std::string& final_path, bool replace, std::string& reason) {
    // Checked again at the last moment; rename() itself replaces a link that
    // appears after this rather than writing through it.
    if (!check_target(final_path, reason)) return false;
    const bool renamed = replace ? std::rename(temporary.c_str(), final_path.c_str()) == 0
                                 : rename_without_replacing(temporary.c_str(), final_path.c_str());
    if (!renamed) {
        reason = errno == EEXIST ? "a file of that name appeared during the run" : error_text(errno);
        return false;
    }
    return true;
}

bool publish_temporary(TemporaryFile& temp, const std::string& final_path, bool replace, std::string& reason) {
    assert(!temp.path.empty());
    if (!close_temporary(temp, reason) || !rename_into_place(temp.path, final_path, replace, reason)) {
        discard_temporary(temp);
        return false;
    }
    temp.path.clear();  // the name is the file's now: never removed as a temporary
    return true;
}

void discard_temporary(TemporaryFile& temp) {
    if (temp.fd >= 0) close(temp.fd);
    temp.fd = -1;
    if (!temp.path.empty()) unlink(temp.path.c_str());
    temp.path.clear();
}

bool write_temporary_file(const std::string& final_path, const void* bytes, std::size_t size, TemporaryFile& temp,
                          std::string& reason, FileMode mode) {
    return create_temporary(final_path, temp, reason, mode) && write_and_close_temporary(temp, bytes, size, reason);
}

bool write_whole_file(const std::string& final_path, const void* bytes, std::size_t size, bool replace,
                      std::string& reason, FileMode mode) {
    TemporaryFile temp;
    return write_temporary_file(final_path, bytes, size, temp, reason, mode) &&
           publish_temporary(temp, final_path, replace, reason);
}
