// file_lookup.h: how a layer finds the file a translated program path names, for the
// shared path calls of platform/file_paths.h.
#pragma once

#include <string>

// Looks for the file or folder that path ("data/vil.3ds", separators already translated)
// names. true with path set to the name found; false with path left as it was.
bool FindProgramFile(std::string* path);
