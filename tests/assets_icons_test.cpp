// assets_icons_test.cpp: the application icon: an icon theme tree of PNG files of the right
// sizes, the same bytes on every run, the same picture at every size, write failures
// reported, and the generator's --icons option refused without its folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/png_reader.h"
#include "support/headless_window.h"
#include "support/test_files.h"
#include "support/tool_runs.h"
#include "tools/assets/icons.h"

namespace {

std::string IconPath(const std::string& folder, int size) {
    const std::string side = std::to_string(size);
    return folder + "/" + side + "x" + side + "/apps/kelvo-remix.png";
}

// The icon reduced to 8 x 8 block means of its three channels, whatever its size.
std::vector<float> Blocks(const assets::Canvas& icon) {
    const int block = icon.Width() / 8;
    std::vector<float> means(8 * 8 * 3, 0.0f);
    for (int y = 0; y < icon.Height(); ++y) {
        for (int x = 0; x < icon.Width(); ++x) {
            const assets::Color c = icon.Get(x, y);
            float* mean = &means[((y / block) * 8 + x / block) * 3];
            mean[0] += c.r;
            mean[1] += c.g;
            mean[2] += c.b;
        }
    }
    for (float& mean : means) mean /= static_cast<float>(block * block);
    return means;
}

class Icons : public HeadlessTest {};

}  // namespace

TEST_F(Icons, WritesEverySizeAsAThemeTreeWithTheSameBytesOnEveryRun) {
    const TempFolder scratch;
    const std::string first = scratch / "icons_a", second = scratch / "icons_b";
    std::string error;
    ASSERT_EQ(1, assets::WriteIcons(first, &error)) << error;
    ASSERT_EQ(1, assets::WriteIcons(second, &error)) << error;
    ASSERT_EQ((std::vector<int>{48, 64, 128, 256}), assets::IconSizes());
    for (int size : assets::IconSizes()) {
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        ASSERT_EQ(1, LoadPngRgb(&pixels, IconPath(first, size).c_str(), &width, &height)) << size;
        std::free(pixels);
        EXPECT_EQ(size, width);
        EXPECT_EQ(size, height);
        const std::string bytes = ReadBytes(IconPath(first, size));
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, ReadBytes(IconPath(second, size))) << size;
    }
}

// Drawn in proportion: each size, seen as 8 x 8 blocks, is the largest one, and shows a
// gold letter in the middle on a dark ground.
TEST(IconPicture, EverySizeShowsTheSameGoldLetterOnDarkGround) {
    const std::vector<float> largest = Blocks(assets::MakeIcon(256));
    for (int size : assets::IconSizes()) {
        const std::vector<float> blocks = Blocks(assets::MakeIcon(size));
        float difference = 0.0f;
        for (size_t i = 0; i < blocks.size(); ++i) difference += std::fabs(blocks[i] - largest[i]);
        EXPECT_LT(difference / blocks.size(), 0.03f) << size;
    }
    auto block = [&](int x, int y) { return &largest[(y * 8 + x) * 3]; };
    for (const float* corner : {block(0, 0), block(7, 0), block(0, 7), block(7, 7)}) {
        EXPECT_LT(corner[0] + corner[1] + corner[2], 0.3f);
    }
    // The letter's stem runs down the left of the middle: gold, red over green over blue.
    const float* stem = block(2, 4);
    EXPECT_GT(stem[0], 0.6f);
    EXPECT_GT(stem[0], stem[1]);
    EXPECT_GT(stem[1], stem[2] + 0.2f);
}

TEST(IconPicture, AFolderThatCannotBeMadeIsReported) {
    const TempFolder scratch;
    const std::string file = scratch / "icons_file";
    ASSERT_TRUE(WriteBytes(file, "not a folder"));
    std::string error;
    EXPECT_EQ(0, assets::WriteIcons(file + "/icons", &error));
    EXPECT_NE(std::string::npos, error.find(file)) << error;
}

// kelvo-assets --icons without its folder is a usage error, not a data folder named "--icons".
TEST(IconPicture, TheIconOptionWithoutAFolderIsRefused) {
    const TempFolder folder;
    ProgramStart start;
    start.arguments = {BuiltProgram("kelvo-assets"), "--icons"};
    start.workDir = folder.path();
    EXPECT_EQ(2, RunProgram(start).exitCode);
    struct stat info;
    EXPECT_NE(0, stat((folder / "--icons").c_str(), &info)) << "a folder named --icons was written";
}
