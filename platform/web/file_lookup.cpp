// file_lookup.cpp: the program's files come from the web server. A path the program forms
// ("data\vil.3ds") is fetched from the same path beside the page ("data/vil.3ds") into the
// in-memory file system the first time it is asked for; a file the server does not have,
// or one too large to read, is missing. Only files in the page's data/ folder are
// fetched. Servers compare names exactly, so a missing name is asked for once more in
// lower case, the letter case the asset generator writes.
#include "platform/common/file_lookup.h"

#include <sys/stat.h>

#include <cctype>
#include <set>
#include <string>

#include "platform/web/web_local.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// A relative path that stays below the page: no empty, "." or ".." component.
bool StaysBelowPage(const std::string& path) {
    if (path.empty() || path[0] == '/') return false;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos) end = path.size();
        const std::string component = path.substr(begin, end - begin);
        if (component.empty() || component == "." || component == "..") return false;
        begin = end + 1;
    }
    return true;
}

// Fetches path once; later calls remember what the server answered.
bool Fetched(const std::string& path) {
    static std::set<std::string> missing;
    if (Exists(path)) return true;
    if (missing.count(path) || !StaysBelowPage(path)) return false;
    if (kelvo_web_fetch(path.c_str()) && Exists(path)) return true;
    missing.insert(path);
    return false;
}

}  // namespace

bool FindProgramFile(std::string* path) {
    if (Fetched(*path)) return true;
    std::string lower = *path;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == *path || !Fetched(lower)) return false;
    *path = lower;
    return true;
}
