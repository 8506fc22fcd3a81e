// Giving a run's finished files their names, all or none. Every output is
// complete under a temporary name of the run's own before anything is named;
// then each is renamed into place in turn. A file of the user's that an output
// replaces is first kept under a backup name of the run's own, so that a failure
// or an interruption at any step puts every name back as it was before the run:
// the run's own files are removed and the user's files return. Only when every
// output has its name are the backups removed, with SIGINT and SIGTERM held back
// for those last steps: past that point the run has succeeded.
#pragma once
#include <string>
#include <vector>

// The capture's line about an output it cannot write: "cannot write PATH: REASON".
std::string cannot_write(const std::string& path, const std::string& reason);

struct PublishedFile {
    std::string temporary;  // the finished file under the run's own name
    std::string path;       // the name it gets
    bool replace = true;    // false: a file of that name is an error, never replaced
    // Set while publishing:
    std::string backup;  // the user's earlier file, kept under a name of the run's own
    bool named = false;  // the output has its name
};

struct Publication {
    std::vector<PublishedFile> files;
};

// Adds a finished temporary that is to become `path`.
void add_to_publication(Publication& publication, const std::string& temporary, const std::string& path, bool replace);

// Names every file of the publication, or, on a failure or an interruption
// (interrupted()), none: then every temporary is removed, every name is back as
// before and `error` has one line ("interrupted" for an interruption).
bool publish_all(Publication& publication, std::string& error);

// Removes the temporaries of a publication that will not be published.
void abandon_publication(Publication& publication);
