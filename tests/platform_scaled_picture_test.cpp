// The live layer's scaled full-screen picture: where it goes on displays of other shapes,
// the bars around it, and the widening of its 16-bit pixels for the X server.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gl.h"
#include "platform/live/scaled_picture_local.h"
#include "support/headless_window.h"

namespace {

struct FitCase {
    int targetWidth, targetHeight;
    SDL_Rect expected;
};

// How many of the rectangles cover each cell of a target; every cell must be covered once.
std::vector<int> Coverage(const std::vector<SDL_Rect>& rectangles, int width, int height) {
    std::vector<int> cells(static_cast<std::size_t>(width) * height, 0);
    for (const SDL_Rect& r : rectangles)
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                if (x >= 0 && x < width && y >= 0 && y < height) ++cells[y * width + x];
    return cells;
}

}  // namespace

TEST(ScaledPicture, FitsTheLargestCentredRectangleOfThePicturesShape) {
    const FitCase cases[] = {
        {1920, 1080, {240, 0, 1440, 1080}},  // wider: bars left and right
        {1280, 1024, {0, 32, 1280, 960}},    // taller: bars above and below
        {640, 480, {0, 0, 640, 480}},        // the picture's own size
        {1366, 768, {171, 0, 1024, 768}},    // odd margin: the extra pixel goes right
        {641, 480, {0, 0, 640, 480}},        // one column of bar, on the right
        {0, 480, {0, 0, 0, 480}},            // an empty target is left as it is
    };
    for (const FitCase& c : cases) {
        SDL_Rect fit = live::FitPicture(640, 480, c.targetWidth, c.targetHeight);
        EXPECT_TRUE(SDL_RectEquals(&fit, &c.expected))
            << c.targetWidth << "x" << c.targetHeight << ": got " << fit.x << "," << fit.y << " "
            << fit.w << "x" << fit.h;
    }
}

TEST(ScaledPicture, BarsAndPictureCoverTheTargetExactlyOnce) {
    const int sizes[][2] = {{40, 20}, {20, 40}, {32, 24}, {37, 13}, {13, 37}};
    for (const auto& size : sizes) {
        const int width = size[0], height = size[1];
        SDL_Rect fit = live::FitPicture(4, 3, width, height);
        std::vector<SDL_Rect> all = live::BarsAround(fit, width, height);
        EXPECT_LE(all.size(), 4u);
        all.push_back(fit);
        std::vector<int> cells = Coverage(all, width, height);
        int wrong = 0;
        for (int count : cells) wrong += count != 1;
        EXPECT_EQ(0, wrong) << width << "x" << height;
    }
    EXPECT_TRUE(live::BarsAround({0, 0, 64, 48}, 64, 48).empty());
}

class ScaledPictureGl : public GlWindowTest {};

// The X server path widens the 5-6-5 picture itself; it must give what GL gives when it
// reads the same framebuffer as 8-bit channels, for every value of every channel.
TEST_F(ScaledPictureGl, WideningMatchesWhatGlReadsFromTheFramebuffer) {
    const int width = 64, height = 32;
    std::vector<Uint16> drawn(width * height);
    for (int i = 0; i < width * height; ++i)
        drawn[i] = static_cast<Uint16>((i % 32) << 11 | (i % 64) << 5 | ((i / 64) % 32));
    glDisable(GL_DITHER);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, drawn.data());

    std::vector<Uint16> readBack(width * height);
    std::vector<Uint32> byGl(width * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, readBack.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, byGl.data());
    ASSERT_EQ(drawn, readBack) << "the framebuffer is not 5-6-5, or drawing changed the values";

    std::vector<Uint32> widened(width * height);
    live::ExpandRgb565(readBack.data(), widened.data(), widened.size());
    int differing = 0;
    for (int i = 0; i < width * height; ++i) differing += widened[i] != (byGl[i] | 0xff000000u);
    EXPECT_EQ(0, differing);
    EXPECT_EQ(0xff000000u, widened[0]);
    Uint16 white = 0xffff;
    Uint32 widenedWhite = 0;
    live::ExpandRgb565(&white, &widenedWhite, 1);
    EXPECT_EQ(0xffffffffu, widenedWhite);
}
