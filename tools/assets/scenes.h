// scenes.h: the show's thirteen scenes, by file name, and writing them.
#pragma once

#include <string>
#include <vector>

#include "tools/assets/scene_writer.h"

namespace assets {

struct ShowScene {
    const char* fileName;
    int startMs;  // show time at which the show starts drawing it
    int playsMs;  // how long the show draws it: its span, or up to the show's end for the last
    scene_writer::Scene (*build)(int frames);
};

// In the order the show plays them.
const std::vector<ShowScene>& ShowScenes();

// Writes the thirteen scenes into folder. Returns 1, or 0 with the reason in *error.
int WriteScenes(const std::string& folder, std::string* error);

}  // namespace assets
