// file_paths.h: opening the program's files by the paths it forms ("data\vil.3ds").
//
// Backslashes are the program's separators. Where the exact name does not exist, a name
// that differs from it only in letter case is used, as on Windows. Callers keep quoting
// the path as they formed it in their messages.
#pragma once

#include <cstddef>
#include <cstdio>

// Translates path into resolved (at most size bytes, NUL-terminated). Returns 1 when an
// existing file or folder was found, 0 otherwise (resolved then holds the plain
// translation, or is empty when it did not fit).
int ResolveProgramPath(const char* path, char* resolved, std::size_t size);

// fopen on the resolved path; null when it cannot be opened.
std::FILE* OpenProgramFile(const char* path, const char* mode);
