// gfx_texture_registry_test.cpp: TextureRegistry on real OpenGL through the headless layer.
#include "gfx/texture_registry.h"

// The window fixture brings the Win32 declarations, which <GL/gl.h> wants first.
#include "support/headless_window.h"
#include "support/sound_files.h"
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "support/png_test_files.h"
#include "support/test_files.h"

namespace {

// A window with a current context, run from a fresh folder holding an empty data folder.
class TextureRegistryTest : public GlWindowTest {
protected:
    void SetUp() override {
        GlWindowTest::SetUp();
        registry = std::make_unique<TextureRegistry>();
    }
    void TearDown() override {
        registry.reset();  // its textures go while the context is still there
        GlWindowTest::TearDown();
    }

    // Writes data/name as a width x height picture of one colour.
    void MakePicture(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                     int width = 4, int height = 4) {
        std::vector<std::uint8_t> rgb;
        for (int i = 0; i < width * height; ++i) rgb.insert(rgb.end(), {r, g, b});
        ASSERT_TRUE(testpng::WriteRgb("data/" + name, width, height, rgb));
    }

    static GLuint Bound() {
        GLint name = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return GLuint(name);
    }
    // A texture that is not the registry's, bound to see whether a call changes the binding.
    static GLuint BindForeignTexture() {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        return name;
    }

    WorkingFolder folder;
    std::unique_ptr<TextureRegistry> registry;
};

TEST_F(TextureRegistryTest, LoadUploadsThePictureAndLeavesItBound) {
    MakePicture("teal.png", 0, 128, 128, 3, 2);
    ASSERT_EQ(registry->Load("teal.png"), 1);
    ASSERT_EQ(registry->textureCount, 1);
    EXPECT_STREQ(registry->fileNames[0], "teal.png");
    EXPECT_NE(registry->textureIds[0], 0u);
    EXPECT_EQ(Bound(), registry->textureIds[0]);

    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 3);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
    EXPECT_EQ(value, 2);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &value);
    EXPECT_EQ(value, 0) << "the pixels' fourth byte must not become alpha";

    std::vector<std::uint8_t> texels(3 * 2 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(texels[4 * p + 0], 0);
        EXPECT_EQ(texels[4 * p + 1], 128);
        EXPECT_EQ(texels[4 * p + 2], 128);
        EXPECT_EQ(texels[4 * p + 3], 255);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(TextureRegistryTest, BindByNameBindsTheFirstExactMatchOnly) {
    GLuint foreign = BindForeignTexture();
    EXPECT_EQ(registry->BindByName("a.png"), 0) << "an empty registry finds nothing";
    EXPECT_EQ(Bound(), foreign);

    MakePicture("a.png", 255, 0, 0);
    MakePicture("Pic.png", 0, 255, 0);
    ASSERT_EQ(registry->Load("a.png"), 1);
    ASSERT_EQ(registry->Load("Pic.png"), 1);
    ASSERT_EQ(registry->Load("a.png"), 1);
    ASSERT_EQ(registry->textureCount, 3);
    EXPECT_NE(registry->textureIds[0], registry->textureIds[2])
        << "a duplicate is a texture of its own";

    const struct {
        const char* name;
        int found;
        int slot;
    } cases[] = {
        {"a.png", 1, 0},   {"Pic.png", 1, 1},      {"pic.png", 0, -1}, {"PIC.PNG", 0, -1},
        {"a.png ", 0, -1}, {"data\\a.png", 0, -1}, {"", 0, -1},        {"b.png", 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BindForeignTexture();
        GLuint before = Bound();
        EXPECT_EQ(registry->BindByName(c.name), c.found);
        EXPECT_EQ(Bound(), c.found ? registry->textureIds[c.slot] : before);
    }
}

TEST_F(TextureRegistryTest, FailedLoadTakesNoSlot) {
    EXPECT_EQ(registry->Load("missing.png"), 0);
    EXPECT_EQ(registry->textureCount, 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error : Can't open file data\\missing.png"});

    MakePicture("broken.png", 1, 2, 3);
    std::string bytes = ReadBytes("data/broken.png");
    WriteBytes("data/broken.png", bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(registry->Load("broken.png"), 0);
    EXPECT_EQ(registry->textureCount, 0);

    MakePicture("good.png", 1, 2, 3);
    EXPECT_EQ(registry->Load("good.png"), 1);
    EXPECT_EQ(registry->textureCount, 1);
    EXPECT_STREQ(registry->fileNames[0], "good.png");
    EXPECT_EQ(registry->BindByName("missing.png"), 0);
}

TEST_F(TextureRegistryTest, NamesUpToSixtyThreeCharactersAreKept) {
    std::string longest(59, 'n');
    longest += ".png";
    std::string tooLong = "x" + longest;
    MakePicture(longest, 10, 20, 30);
    MakePicture(tooLong, 10, 20, 30);
    ASSERT_EQ(longest.size(), 63u);

    ASSERT_EQ(registry->Load(longest.c_str()), 1);
    EXPECT_EQ(registry->Load(tooLong.c_str()), 0) << "a 64-character name does not fit a slot";
    EXPECT_EQ(registry->textureCount, 1);
    EXPECT_EQ(std::string(registry->fileNames[0]), longest);
    EXPECT_EQ(registry->BindByName(longest.c_str()), 1);
    EXPECT_EQ(Bound(), registry->textureIds[0]);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(TextureRegistryTest, FullTableReadsNoMoreFiles) {
    MakePicture("dot.png", 9, 9, 9, 1, 1);
    for (int i = 0; i < TextureRegistry::kMaxTextures; ++i)
        ASSERT_EQ(registry->Load("dot.png"), 1) << i;
    ASSERT_EQ(registry->textureCount, 256);
    GLuint last = registry->textureIds[255];

    // A missing file would raise a box if it were looked for.
    EXPECT_EQ(registry->Load("missing.png"), 0);
    EXPECT_EQ(registry->Load("dot.png"), 0);
    EXPECT_EQ(registry->textureCount, 256);
    EXPECT_EQ(Bound(), last);
    EXPECT_TRUE(BoxTexts().empty());
}

// The picture's top-left quarter is red, top-right green, bottom-left blue, bottom-right
// white; drawn over the viewport with texture (0, 0) at the bottom-left it must look the same.
TEST_F(TextureRegistryTest, PictureDrawnWithOriginBottomLeftIsUpright) {
    const int size = 64;
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            bool top = y < size / 2, left = x < size / 2;
            if (top && left)
                rgb.insert(rgb.end(), {255, 0, 0});
            else if (top)
                rgb.insert(rgb.end(), {0, 255, 0});
            else if (left)
                rgb.insert(rgb.end(), {0, 0, 255});
            else
                rgb.insert(rgb.end(), {255, 255, 255});
        }
    }
    ASSERT_TRUE(testpng::WriteRgb("data/quarters.png", size, size, rgb));
    ASSERT_EQ(registry->Load("quarters.png"), 1);

    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(registry->BindByName("quarters.png"), 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
    glFinish();

    const struct {
        int x, y;  // y from the bottom
        int r, g, b;
    } expected[] = {
        {160, 360, 255, 0, 0},     {480, 360, 0, 255, 0}, {160, 120, 0, 0, 255},
        {480, 120, 255, 255, 255}, {10, 10, 0, 0, 255},   {630, 470, 0, 255, 0},
    };
    for (const auto& e : expected) {
        Rgb pixel = PixelAt(e.x, e.y);
        SCOPED_TRACE(std::to_string(e.x) + "," + std::to_string(e.y));
        EXPECT_NEAR(pixel.r, e.r, 8);
        EXPECT_NEAR(pixel.g, e.g, 8);
        EXPECT_NEAR(pixel.b, e.b, 8);
    }
}

}  // namespace

namespace {

class TextureRegistryStartUp : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        AddShowSoundtrack(folder.Data(""));
    }
    WorkingFolder folder;
};

TEST_F(TextureRegistryStartUp, StartUpMakesTheOneRegistryBeforeTheFirstFrame) {
    TextureRegistry* seenInFrames = nullptr;
    bool sameInEveryFrame = true;
    RunShow([&](int frame) {
        if (frame == 1) seenInFrames = textureRegistry;
        sameInEveryFrame = sameInEveryFrame && textureRegistry == seenInFrames;
        headless::SetClock(headless::Clock() + 16);
        if (frame == 3) headless::PressKey(VK_ESCAPE);
    });
    EXPECT_NE(seenInFrames, nullptr);
    EXPECT_TRUE(sameInEveryFrame);
    EXPECT_EQ(textureRegistry, seenInFrames) << "the registry lasts until the process ends";
    ReleaseProgramObjects();
}

}  // namespace
