// output_guard.cpp: refusing, before any rendering, to write where something already is.
#include "tools/capture/output_guard.h"

#include <sys/stat.h>

#include <cstdio>

#include "tools/capture/frame_times.h"

namespace {

const char kReplaceHint[] = "; pass --overwrite to replace it";

bool Exists(const std::string& path, struct stat* found) { return lstat(path.c_str(), found) == 0; }

// The video is renamed into place, which would replace a device or FIFO itself; a link is
// followed to see what it leads to.
bool CheckVideo(const CaptureOptions& options, std::string* error) {
    struct stat found;
    if (!Exists(options.videoPath, &found)) return true;
    struct stat target;
    const bool leadsSomewhere = stat(options.videoPath.c_str(), &target) == 0;
    if (leadsSomewhere && !S_ISREG(target.st_mode)) {
        *error = "the video " + options.videoPath +
                 " is not a regular file (a device, FIFO or socket); name a file";
        return false;
    }
    if (options.overwrite) return true;
    *error = options.videoPath + " already exists" + kReplaceHint;
    return false;
}

// Frames and the soundtrack are written in place, through a link.
bool CheckWrittenInPlace(const std::string& path, bool overwrite, std::string* error) {
    struct stat found;
    if (!Exists(path, &found)) return true;
    if (!S_ISREG(found.st_mode) && !S_ISLNK(found.st_mode)) {
        *error = path + " is already there and is not a file";
        return false;
    }
    if (overwrite) return true;
    *error = path + " already exists" + kReplaceHint;
    return false;
}

std::string FramePath(const std::string& folder, int elapsed) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", elapsed);
    return folder + name;
}

bool CheckFolder(const CaptureOptions& options, std::string* error) {
    struct stat folder;
    if (stat(options.outFolder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) return true;
    for (int elapsed : WrittenFrameTimes(options))
        if (!CheckWrittenInPlace(FramePath(options.outFolder, elapsed), options.overwrite, error))
            return false;
    const bool writesSoundtrack = options.atTimes.empty();
    return !writesSoundtrack ||
           CheckWrittenInPlace(options.outFolder + "/soundtrack.wav", options.overwrite, error);
}

}  // namespace

bool CheckNothingIsOverwritten(const CaptureOptions& options, std::string* error) {
    if (!options.videoPath.empty() && !CheckVideo(options, error)) return false;
    return options.outFolder.empty() || CheckFolder(options, error);
}
