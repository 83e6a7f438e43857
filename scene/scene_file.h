// scene_file.h: reading a 3DS file into lib3ds after its chunk structure has been checked.
#pragma once

#include <lib3ds/file.h>

// Reads the file at path (a real file-system path), checks its chunk structure and hands
// exactly those bytes to lib3ds. Returns the new file, owned by the caller (release it with
// lib3ds_file_free), or null when the file cannot be read, fails the check or is refused
// by lib3ds. What lib3ds read of a refused file is released too.
Lib3dsFile* ReadSceneFile(const char* path);
