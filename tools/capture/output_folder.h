// output_folder.h: making sure the capture's output can be written before anything renders.
#pragma once

#include <string>

// Makes folder (and any missing parents) and proves that it takes a new file by creating,
// writing and removing one. Returns false with a one-line reason in *error otherwise.
bool PrepareOutputFolder(const std::string& folder, std::string* error);
