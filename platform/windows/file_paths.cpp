// file_paths.cpp (Windows): the program's paths are already this file system's paths.
//
// Windows takes backslashes as separators and ignores letter case itself, so a path is
// used as the program formed it.
#include "platform/file_paths.h"

#include <windows.h>

#include <cstring>

int ResolveProgramPath(const char* path, char* resolved, std::size_t size) {
    if (!resolved || size == 0) return 0;
    resolved[0] = '\0';
    if (!path) return 0;
    std::size_t length = std::strlen(path);
    if (length >= size) return 0;
    std::memcpy(resolved, path, length + 1);
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

std::FILE* OpenProgramFile(const char* path, const char* mode) {
    if (!path || !mode) return nullptr;
    return std::fopen(path, mode);
}
