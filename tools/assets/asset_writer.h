// asset_writer.h: writing the whole data folder of the show.
#pragma once

#include <string>

namespace assets {

// Creates folder (and its parent) when missing and writes every file the show reads into it:
// the thirteen scenes, their textures, the 24 pictures and the soundtrack. The files are the
// same bytes on every run. Returns 1, or 0 with the reason in *error.
int WriteAssets(const std::string& folder, std::string* error);

}  // namespace assets
