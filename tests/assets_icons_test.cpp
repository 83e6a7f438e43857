// assets_icons_test.cpp: the application icon: an icon theme tree of PNG files of the right
// sizes, the same bytes on every run, the same picture at every size, write failures
// reported, and the generator's --icons option refused without its folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/png_reader.h"
#include "support/headless_window.h"
#include "tools/assets/icons.h"

namespace {

std::string TempFolder(const char* name) {
    return std::string(::testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

std::string IconPath(const std::string& folder, int size) {
    const std::string side = std::to_string(size);
    return folder + "/" + side + "x" + side + "/apps/kelvo-remix.png";
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
    const std::string first = TempFolder("icons_a"), second = TempFolder("icons_b");
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
        const std::string bytes = FileBytes(IconPath(first, size));
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, FileBytes(IconPath(second, size))) << size;
    }
    std::system(("rm -rf '" + first + "' '" + second + "'").c_str());
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
    const std::string file = TempFolder("icons_file");
    std::ofstream(file) << "not a folder";
    std::string error;
    EXPECT_EQ(0, assets::WriteIcons(file + "/icons", &error));
    EXPECT_NE(std::string::npos, error.find(file)) << error;
    std::remove(file.c_str());
}

// kelvo-assets --icons without its folder is a usage error, not a data folder named "--icons".
TEST(IconPicture, TheIconOptionWithoutAFolderIsRefused) {
    const std::string folder = TempFolder("icons_cwd");
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    const std::string command = "cd '" + folder + "' && '" KELVO_BIN_DIR "/kelvo-assets' --icons 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(2, WEXITSTATUS(status));
    struct stat info;
    EXPECT_NE(0, stat((folder + "/--icons").c_str(), &info)) << "a folder named --icons was written";
    std::system(("rm -rf '" + folder + "'").c_str());
}
