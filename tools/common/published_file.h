// Publishing a file: it is written whole under a temporary name of this run's own
// in the folder it goes to (NAME.partial-XXXXXX, created exclusively, so no file
// of the user's is ever opened, truncated or removed), then renamed into place,
// so a name never holds a partial file. Nothing is written through a symbolic
// link: the temporary is never one, and a target that is a link or anything but
// a regular file is refused. On any failure the temporary is removed.
//
// Reasons come back without the path, for the caller's own line ("No such file
// or directory", "it is a symbolic link"), as read_input_file's do.
#pragma once
#include <cstddef>
#include <string>

// Attempts at a free temporary name before giving up: collisions among 62^6
// random names only come from a hostile folder.
constexpr int name_attempts = 100;

// A new file is 0644, or 0755 when it must be executable, narrowed by the umask
// as for any file open() creates.
enum class FileMode { regular, executable };

// Six random letters and digits, for the names of a run's own files.
std::string random_name_part();

// The temporary name of `final_path` with the random part `part`:
// final_path.partial-part.
std::string temporary_name(const std::string& final_path, const std::string& part);

// True when a file may be published as `final_path`: nothing is there, or a
// regular file. False with the reason otherwise ("it is a folder", "it is a
// symbolic link", "it is not a regular file", or why it cannot be looked at).
bool check_target(const std::string& final_path, std::string& reason);

// rename() that keeps an existing target: the kernel's no-replace rename, or,
// where the file system lacks it, a hard link (which also refuses to replace).
// False with errno set (EEXIST when the name is taken).
bool rename_without_replacing(const char* from, const char* to);

struct TemporaryFile {
    std::string path;  // empty once published or discarded
    int fd = -1;       // open for writing until closed or handed on (set it to -1 then)
};

// Checks the target and creates a temporary for it under a new random name,
// open for writing.
bool create_temporary(const std::string& final_path, TemporaryFile& temp, std::string& reason,
                      FileMode mode = FileMode::regular);

// The same under the given name (temporary_name with a part the caller keeps);
// a name already taken is a failure, never opened.
bool create_temporary_named(const std::string& final_path, const std::string& temporary, TemporaryFile& temp,
                            std::string& reason, FileMode mode = FileMode::regular);

// Writes all `size` bytes and closes the file, still under its temporary name.
// On failure the temporary is removed.
bool write_and_close_temporary(TemporaryFile& temp, const void* bytes, std::size_t size, std::string& reason);

// Closes the descriptor (if still open) and reports a failed close.
bool close_temporary(TemporaryFile& temp, std::string& reason);

// Gives a closed temporary the name `final_path`, once the target is checked
// again. With `replace` false an existing file of that name is kept and the
// naming fails ("a file of that name appeared during the run"). The temporary
// is left as it is on failure.
bool rename_into_place(const std::string& temporary, const std::string& final_path, bool replace, std::string& reason);

// Closes the file and renames it into place (see rename_into_place); on failure
// the temporary is removed.
bool publish_temporary(TemporaryFile& temp, const std::string& final_path, bool replace, std::string& reason);

// Closes and removes the temporary; nothing else is touched. Safe to call twice.
void discard_temporary(TemporaryFile& temp);

// Writes `size` bytes to a new temporary for `final_path` and closes it, still
// under its temporary name (for outputs that get their names together later).
bool write_temporary_file(const std::string& final_path, const void* bytes, std::size_t size, TemporaryFile& temp,
                          std::string& reason, FileMode mode = FileMode::regular);

// Writes `size` bytes as the file `final_path` (see publish_temporary); nothing
// is left behind on failure.
bool write_whole_file(const std::string& final_path, const void* bytes, std::size_t size, bool replace,
                      std::string& reason, FileMode mode = FileMode::regular);
