// frame_layout.h: where the show's 4:3 picture sits in a frame of any size.
#pragma once

#include <cstdint>
#include <vector>

struct FrameLayout {
    int width = 0;  // the whole frame (pixels)
    int height = 0;
    int showWidth = 0;  // the part the show renders, centred; the rest is black bars
    int showHeight = 0;
    int left = 0;  // from the frame's left and top edges to the rendered part
    int top = 0;
};

// The largest 4:3 rectangle that fits width x height, centred (1920x1080 -> 1440x1080 at
// 240, 0).
FrameLayout FitShow(int width, int height);

// Copies the rendered RGB pixels (showWidth x showHeight, bottom row first, as OpenGL reads
// them) into frame (width x height RGB, top row first) at their place. The bars are left as
// they are: black in a frame that starts zeroed.
void PlaceShow(const FrameLayout& layout, const std::vector<std::uint8_t>& renderedBottomUp,
               std::vector<std::uint8_t>* frame);
