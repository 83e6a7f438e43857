// local_file_lookup.cpp: program files on a local file system whose names are case
// sensitive: where the exact name is missing, a name that differs only in letter case is
// used, as on Windows.
#include "platform/common/file_lookup.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <string>

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name ignoring letter case, or "" if none.
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::string();
    std::string found;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// Resolves each component in turn, so "DATA\Vil.3DS" finds "data/vil.3ds".
bool ResolveComponents(const std::string& translated, std::string* resolved) {
    std::string result;
    std::size_t begin = 0;
    if (!translated.empty() && translated[0] == '/') {
        result = "/";
        begin = 1;
    }
    while (begin <= translated.size()) {
        std::size_t end = translated.find('/', begin);
        if (end == std::string::npos) end = translated.size();
        std::string component = translated.substr(begin, end - begin);
        begin = end + 1;
        if (component.empty()) continue;
        std::string folder = result;
        std::string candidate = folder + component;
        if (!Exists(candidate)) {
            std::string match = FindIgnoringCase(folder, component);
            if (match.empty()) return false;
            candidate = folder + match;
        }
        result = candidate;
        if (begin <= translated.size()) result += '/';
    }
    *resolved = result;
    return Exists(result);
}

}  // namespace

bool FindProgramFile(std::string* path) {
    if (Exists(*path)) return true;
    std::string found;
    if (!ResolveComponents(*path, &found)) return false;
    *path = found;
    return true;
}
