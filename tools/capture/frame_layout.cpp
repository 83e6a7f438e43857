// frame_layout.cpp: the show's picture centred between black bars, top row first.
#include "tools/capture/frame_layout.h"

#include <cstring>

FrameLayout FitShow(int width, int height) {
    FrameLayout layout;
    layout.width = width;
    layout.height = height;
    // Wider than 4:3: full height; otherwise full width.
    if (std::int64_t(width) * 3 >= std::int64_t(height) * 4) {
        layout.showHeight = height;
        layout.showWidth = int(std::int64_t(height) * 4 / 3);
    } else {
        layout.showWidth = width;
        layout.showHeight = int(std::int64_t(width) * 3 / 4);
    }
    layout.left = (width - layout.showWidth) / 2;
    layout.top = (height - layout.showHeight) / 2;
    return layout;
}

void PlaceShow(const FrameLayout& layout, const std::vector<std::uint8_t>& renderedBottomUp,
               std::vector<std::uint8_t>* frame) {
    const std::size_t frameRow = std::size_t(layout.width) * 3;
    const std::size_t showRow = std::size_t(layout.showWidth) * 3;
    frame->resize(frameRow * layout.height);
    if (renderedBottomUp.size() < showRow * layout.showHeight) return;
    for (int y = 0; y < layout.showHeight; ++y) {
        const std::uint8_t* source =
            renderedBottomUp.data() + std::size_t(layout.showHeight - 1 - y) * showRow;
        std::memcpy(
            frame->data() + std::size_t(layout.top + y) * frameRow + std::size_t(layout.left) * 3,
            source, showRow);
    }
}
