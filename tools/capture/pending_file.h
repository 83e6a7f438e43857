// pending_file.h: a new file made beside its target, which takes the target's name only once
// it is whole.
#pragma once

#include <string>

// The target's folder gets a new, hidden file of a name no other file has (".NAME.XXXXXX.part"),
// made exclusively; Commit renames it onto the target. Until then, or when the file is
// discarded, nothing at the target is touched.
class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    // Removes the file unless it was committed.
    ~PendingFile();

    // Makes the new, empty file. False with a reason naming the folder otherwise.
    bool Create(const std::string& target, std::string* error);
    // The file to write; empty before Create.
    const std::string& Path() const { return path; }
    // Gives the file the target's name. A file found at the target is replaced only with
    // replace; without it the new file keeps its own name, which *error then gives.
    bool Commit(bool replace, std::string* error);
    // Removes the file, and only it.
    void Discard();

private:
    std::string target;
    std::string path;
};
