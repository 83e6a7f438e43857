// textures.h: the material textures of the scenes, drawn in code.
#pragma once

#include <string>
#include <vector>

#include "tools/assets/canvas.h"

namespace assets {

// Writes every texture into folder. Returns 1, or 0 on a write failure.
int WriteTextures(const std::string& folder);

}  // namespace assets
