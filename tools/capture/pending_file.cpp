// pending_file.cpp: an exclusively made file beside its target, renamed onto it when whole.
#include "tools/capture/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

const int kNameTries = 100;

std::string RandomTag() {
    static std::mt19937 generator{std::random_device{}()};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string tag;
    for (int i = 0; i < 6; ++i) tag += kDigits[generator() % 36];
    return tag;
}

// Renames from onto to unless something is at to. Where the file system cannot say so in
// one step, it is looked for just before the rename.
int RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    struct stat found;
    if (lstat(to.c_str(), &found) == 0) return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Create(const std::string& targetPath, std::string* error) {
    target = targetPath;
    const fs::path where(target);
    const std::string stem = (where.parent_path() / ("." + where.filename().string())).string();
    for (int i = 0; i < kNameTries; ++i) {
        const std::string candidate = stem + "." + RandomTag() + ".part";
        // 0666: the umask decides, as for any new file.
        int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            path = candidate;
            return true;
        }
        if (errno != EEXIST) {
            *error = "cannot make a file in " + where.parent_path().string() + ": " +
                     std::strerror(errno);
            return false;
        }
    }
    *error = "cannot find a free name for a new file in " + where.parent_path().string();
    return false;
}

bool PendingFile::Commit(bool replace, std::string* error) {
    const int failure = replace ? (std::rename(path.c_str(), target.c_str()) == 0 ? 0 : errno)
                                : RenameWithoutReplacing(path, target);
    if (failure == 0) {
        path.clear();
        return true;
    }
    if (failure == EEXIST) {
        *error = target + " appeared while the capture ran; the new file is kept as " + path;
        path.clear();  // kept: it is the whole capture
        return false;
    }
    *error = "cannot rename " + path + " to " + target + ": " + std::strerror(failure);
    return false;
}

void PendingFile::Discard() {
    if (path.empty()) return;
    unlink(path.c_str());
    path.clear();
}
