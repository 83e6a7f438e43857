// textures.h: the material textures of the scenes, drawn in code.
#pragma once

#include <string>
#include <vector>

#include "tools/assets/canvas.h"

namespace assets {

// The file names of every texture, each one used by at least one scene material.
std::vector<std::string> TextureFileNames();

// The texture of that file name (a square power-of-two image); a blank 64 x 64 one for an
// unknown name.
Canvas MakeTexture(const std::string& fileName);

// Writes every texture into folder. Returns 1, or 0 on a write failure.
int WriteTextures(const std::string& folder);

}  // namespace assets
