// Files a run writes under a name of its own before they get their real name:
// created exclusively beside the finished file, so a file that belongs to the
// user is never opened, truncated or removed, and two outputs of one run never
// share a temporary.
#pragma once
#include <cstddef>
#include <string>

// Attempts at a free name before giving up: collisions among 62^6 random names
// only come from a hostile folder.
constexpr int name_attempts = 100;

// Six random letters and digits, for the names of a run's own files.
std::string random_name_part();

// rename() that keeps an existing target: the kernel's no-replace rename, or,
// where the file system lacks it, a hard link (which also refuses to replace).
// False with errno set (EEXIST when the name is taken).
bool rename_without_replacing(const char* from, const char* to);

struct TemporaryFile {
    std::string path;  // empty once published or discarded
    int fd = -1;       // open for writing until closed or published
};

// Creates `final_path`.`tag`-XXXXXX (random letters) in the folder of
// `final_path`, open for writing, with the permissions a new file gets. False
// with a one-line reason naming `final_path`.
bool create_temporary(const std::string& final_path, const char* tag, TemporaryFile& temp, std::string& error);

// Closes the descriptor (if still open) and reports a failed close.
bool close_temporary(TemporaryFile& temp, std::string& error);

// Closes the file and gives it its real name. With `replace` false an existing
// file of that name is kept and the publishing fails. On failure the temporary
// is removed.
bool publish_temporary(TemporaryFile& temp, const std::string& final_path, bool replace, std::string& error);

// Closes and removes the file; nothing else is touched. Safe to call twice.
void discard_temporary(TemporaryFile& temp);

// Writes `size` bytes to a temporary beside `final_path` and closes it, still
// under its temporary name; nothing is left behind on failure.
bool write_temporary_file(const std::string& final_path, const void* bytes, std::size_t size, TemporaryFile& temp,
                          std::string& error);

// Writes `size` bytes to a temporary beside `final_path` and publishes it (see
// publish_temporary); nothing is left behind on failure.
bool write_whole_file(const std::string& final_path, const void* bytes, std::size_t size, bool replace,
                      std::string& error);
