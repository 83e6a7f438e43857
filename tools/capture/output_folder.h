// output_folder.h: checks, before anything renders, that the capture's output can be made.
#pragma once

#include <string>

// Makes folder (and any missing parents) and proves that it takes a new file by creating,
// writing and removing one. Returns false with a one-line reason in *error otherwise.
bool PrepareOutputFolder(const std::string& folder, std::string* error);

// True when program names an executable file in one of PATH's folders.
bool ProgramOnPath(const std::string& program);
