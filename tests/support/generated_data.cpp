// generated_data.cpp: the data folder kelvo-assets writes, made once and shared by every test
// process of a build.
#include "support/generated_data.h"

#include "support/tool_runs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

const std::string kGenerator = BuiltProgram("kelvo-assets");
const std::string kCacheParent = std::string(KELVO_BIN_DIR) + "/../test-data";

bool NewerThan(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0) return false;
    if (stat(b.c_str(), &sb) != 0) return true;
    if (sa.st_mtim.tv_sec != sb.st_mtim.tv_sec) return sa.st_mtim.tv_sec > sb.st_mtim.tv_sec;
    return sa.st_mtim.tv_nsec > sb.st_mtim.tv_nsec;
}

}  // namespace

int RunAssetGenerator(const std::string& parent) {
    ProgramStart start;
    start.arguments = {kGenerator, parent};
    return RunProgram(start).exitCode == 0 ? 1 : 0;
}

std::string GeneratedDataFolder() {
    mkdir(kCacheParent.c_str(), 0755);
    const std::string stamp = kCacheParent + "/complete";
    const int lock = open((kCacheParent + "/lock").c_str(), O_CREAT | O_RDWR, 0644);
    if (lock < 0) return "";
    flock(lock, LOCK_EX);
    bool ready = !NewerThan(kGenerator, stamp);
    if (!ready) {
        // Start from an empty folder, so files an older generator wrote cannot linger.
        std::remove(stamp.c_str());
        const std::string data = kCacheParent + "/data";
        for (const std::string& name : FileNames(data)) std::remove((data + "/" + name).c_str());
        if (RunAssetGenerator(kCacheParent)) {
            std::ofstream(stamp) << "written by " << kGenerator << "\n";
            ready = true;
        }
    }
    flock(lock, LOCK_UN);
    close(lock);
    return ready ? kCacheParent + "/data" : "";
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat info;
        if (stat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}
