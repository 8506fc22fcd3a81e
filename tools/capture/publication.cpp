// All-or-none publishing with backups of the user's files.
#include "publication.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "interruption.h"
#include "published_file.h"

namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Keeps the user's file at `path` under a new name of the run's own: a second
// hard link, so the name `path` goes on holding the file until the output
// replaces it in one rename. Where the file system has no hard links, the file is
// moved aside instead. False when nothing could be kept (the name is then as it was).
bool keep_backup(PublishedFile& file, std::string& reason) {
    for (int attempt = 0; attempt < name_attempts; ++attempt) {
        const std::string candidate = file.path + ".previous-" + random_name_part();
        if (link(file.path.c_str(), candidate.c_str()) == 0) {
            file.backup = candidate;
            return true;
        }
        if ((errno == EPERM || errno == EOPNOTSUPP || errno == EXDEV) &&
            renameat2(AT_FDCWD, file.path.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) == 0) {
            file.backup = candidate;
            return true;
        }
        if (errno != EEXIST) break;
    }
    reason = std::strerror(errno);
    return false;
}

bool name_file(PublishedFile& file, std::string& error) {
    // Only a regular file is moved aside or replaced: a folder, a link or a device
    // is not a file the run could give back.
    std::string reason;
    if (!check_target(file.path, reason) || (file.replace && exists(file.path) && !keep_backup(file, reason)) ||
        !rename_into_place(file.temporary, file.path, file.replace, reason)) {
        error = cannot_write(file.path, reason);
        return false;
    }
    file.named = true;
    return true;
}

// Puts one file's name back as it was: the user's file returns over the output,
// or the output, whose name held nothing before, is removed.
void unname_file(PublishedFile& file) {
    if (file.named) {
        if (!file.backup.empty()) {
            if (std::rename(file.backup.c_str(), file.path.c_str()) == 0) file.backup.clear();
        } else {
            unlink(file.path.c_str());
        }
        file.named = false;
    } else if (!file.backup.empty()) {
        // Kept, never replaced. Where the user's name still holds the file (a
        // second link of it), the backup goes; where the name is empty (the file
        // was moved aside on a file system without links), it comes back. A name
        // that something else took meanwhile is left to it, and the user's file
        // stays under the backup name: never is the last name of it removed.
        struct stat at_path, at_backup;
        const bool path_taken = lstat(file.path.c_str(), &at_path) == 0;
        if (!path_taken) {
            renameat2(AT_FDCWD, file.backup.c_str(), AT_FDCWD, file.path.c_str(), RENAME_NOREPLACE);
        } else if (lstat(file.backup.c_str(), &at_backup) == 0 && at_path.st_dev == at_backup.st_dev &&
                   at_path.st_ino == at_backup.st_ino) {
            unlink(file.backup.c_str());
        }
        file.backup.clear();
    }
    unlink(file.temporary.c_str());
}

// SIGINT and SIGTERM held back while the last steps run; they arrive, and are
// ignored by a run that has succeeded, once released.
struct HeldSignals {
    sigset_t previous;
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &held, &previous);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
};

}  // namespace

std::string cannot_write(const std::string& path, const std::string& reason) {
    return "cannot write " + path + ": " + reason;
}

void add_to_publication(Publication& publication, const std::string& temporary, const std::string& path, bool replace) {
    publication.files.push_back(PublishedFile{temporary, path, replace, {}, false});
}

bool publish_all(Publication& publication, std::string& error) {
    bool ok = true;
    for (PublishedFile& file : publication.files) {
        if (interrupted()) {
            error = "interrupted";
            ok = false;
        } else {
            ok = name_file(file, error);
        }
        if (!ok) break;
    }
    const HeldSignals held;
    if (ok && interrupted()) {
        error = "interrupted";
        ok = false;
    }
    if (!ok) {
        // In reverse, so a name published twice in one run could never go wrong.
        for (auto it = publication.files.rbegin(); it != publication.files.rend(); ++it) unname_file(*it);
        publication.files.clear();
        return false;
    }
    for (PublishedFile& file : publication.files)
        if (!file.backup.empty()) unlink(file.backup.c_str());
    publication.files.clear();
    return true;
}

void abandon_publication(Publication& publication) {
    for (PublishedFile& file : publication.files) unlink(file.temporary.c_str());
    publication.files.clear();
}
