// file_paths.cpp: the program's Windows-style paths translated to '/' separators and
// looked up as the layer finds its files (platform/common/file_lookup.h).
// Provides ResolveProgramPath and OpenProgramFile.
#include "platform/file_paths.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/common/file_lookup.h"
#include "platform/common/file_lookup_hook.h"

namespace {

void (*fileLookupHook)() = nullptr;

}  // namespace

void SetFileLookupHook(void (*hook)()) { fileLookupHook = hook; }

int ResolveProgramPath(const char* path, char* resolved, std::size_t size) {
    if (fileLookupHook) fileLookupHook();
    if (!resolved || size == 0) return 0;
    resolved[0] = '\0';
    if (!path) return 0;
    std::string found(path);
    std::replace(found.begin(), found.end(), '\\', '/');
    bool exists = FindProgramFile(&found);
    if (found.size() >= size) return 0;
    std::memcpy(resolved, found.c_str(), found.size() + 1);
    return exists ? 1 : 0;
}

std::FILE* OpenProgramFile(const char* path, const char* mode) {
    char resolved[4096];
    if (!path || !mode) return nullptr;
    ResolveProgramPath(path, resolved, sizeof resolved);
    if (resolved[0] == '\0') return nullptr;
    return std::fopen(resolved, mode);
}
