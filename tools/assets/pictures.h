// pictures.h: the 24 full-screen pictures flashed on the beat, "chinois1.png" to "chinois24.png".
#pragma once

#include <string>

#include "demo/flash_table.h"
#include "tools/assets/canvas.h"

namespace assets {

// Picture n (1 to 24): bold shapes in a few strong colours, made to read in a 74 ms flash.
Canvas MakePicture(int n);

// The show's name for picture n: "chinois" + n + ".png".
std::string PictureFileName(int n);

// Writes all 24 pictures into folder (which must exist). Returns 1, or 0 on a write failure.
int WritePictures(const std::string& folder);

}  // namespace assets
