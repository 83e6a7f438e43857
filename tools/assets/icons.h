// icons.h: the show's application icon, the gold "K" of its title, at the sizes menus use.
#pragma once

#include <string>
#include <vector>

#include "tools/assets/canvas.h"

namespace assets {

// The square sizes written, in pixels: 48, 64, 128 and 256.
const std::vector<int>& IconSizes();

// The icon at size x size pixels: the title's first letter as a gold block with a lacquer
// side, in front of the title's halo, on a dark ground. Drawn in proportion, so every size
// shows the same picture.
Canvas MakeIcon(int size);

// Writes folder/NxN/apps/kelvo-remix.png for each size, the layout of an icon theme, making
// the folders as needed. Returns 1, or 0 with the reason in *error.
int WriteIcons(const std::string& folder, std::string* error);

}  // namespace assets
