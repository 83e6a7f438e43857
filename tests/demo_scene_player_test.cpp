// demo_scene_player_test.cpp: ScenePlayer on real GL: the scene timeline, the flashes, start-up.
#include "demo/scene_player.h"

// The fixture brings the Win32 declarations, which <GL/gl.h> wants first.
#include "support/scene_fixture.h"

#include "demo/scene_table.h"
#include "platform/gl.h"
#include <lib3ds/file.h>
#include <lib3ds/node.h>

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "gfx/texture_registry.h"
#include "scene/scene.h"
#include "support/png_test_files.h"
#include "tools/assets/pictures.h"

namespace {

const int kScenes = kSceneRows;
// Every scene's camera slides along x by one unit per keyframe frame, so its evaluated
// position tells the scene time; kUnusedFrame is a pose no frame of these tests asks for.
const float kUnusedFrame = 999.0f;

std::string PictureName(int n) { return assets::PictureFileName(n); }

// Picture n's colours: the top half (10 n, 255 - 10 n, 255), the bottom half the same with
// blue 0, so that the picture and its orientation can be told from any pixel.
void PictureColour(int n, bool top, int* r, int* g, int* b) {
    *r = 10 * n;
    *g = 255 - 10 * n;
    *b = top ? 255 : 0;
}

class ScenePlayerTest : public SceneFixture {
protected:
    void TearDown() override {
        player.reset();
        SceneFixture::TearDown();
    }

    // Writes the show's 13 scenes and 24 pictures, leaving out the files named in missing.
    // The first scene has a textured material, "wall.png".
    void WriteShow(const std::set<std::string>& missing = {}) {
        for (int i = 0; i < kScenes; ++i)
            if (!missing.count(kSceneTable[i].file))
                WriteScene(SlidingScene(i == 0 ? "wall.png" : ""), kSceneTable[i].file);
        WriteTexture("wall.png", 200, 200, 200);
        for (int n = 1; n <= 24; ++n)
            if (!missing.count(PictureName(n))) WritePicture(n);
    }

    static scene_writer::Scene SlidingScene(const std::string& texture) {
        scene_writer::Scene scene;
        scene.frames = 1000;
        scene.materials.push_back({"paint", texture});
        scene.meshes.push_back(FacingSquare("floor", 0, 0, 5000, "paint"));
        scene_writer::AddObjectNode(scene, "floor");
        int camera = scene_writer::AddStillCamera(scene, "Camera01", {0, -10, 0}, {0, 0, 0});
        scene.nodes[camera].position = {{0, {0, -10, 0}}, {1000, {1000, -10, 0}}};
        scene.nodes[camera + 1].position = {{0, {0, 0, 0}}, {1000, {1000, 0, 0}}};
        return scene;
    }

    void WritePicture(int n) {
        const int size = 64;
        std::vector<std::uint8_t> rgb;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                int r, g, b;
                PictureColour(n, y < size / 2, &r, &g, &b);
                rgb.insert(rgb.end(), {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
            }
        }
        ASSERT_TRUE(testpng::WriteRgb(DataPath(PictureName(n)), size, size, rgb));
    }

    void StartPlayer() {
        player = std::make_unique<ScenePlayer>();
        ASSERT_EQ(player->Init(), 1);
    }

    // A second start in the same window, with its own texture registry as at the show's start.
    void RestartPlayer() {
        player.reset();
        delete textureRegistry;
        textureRegistry = new TextureRegistry();
        StartPlayer();
    }

    // The frames drawn at these moments, as RGB bytes.
    std::vector<std::vector<std::uint8_t>> FramesAt(const std::vector<int>& moments) {
        std::vector<std::vector<std::uint8_t>> frames;
        for (int elapsed : moments) {
            Render(elapsed);
            int width = 0, height = 0;
            frames.push_back(headless::ReadPixels(&width, &height));
        }
        return frames;
    }

    static Lib3dsNode* CameraNode(const Scene* scene) {
        return scene && scene->file
                   ? lib3ds_file_node_by_name(scene->file, "Camera01", LIB3DS_CAMERA_NODE)
                   : nullptr;
    }

    struct Drawn {
        int slot;     // the scene that reached DrawFrame, -1 for none
        double time;  // its scene time, ms
    };
    // Renders elapsed with every scene pinned at an unused pose first: the scene whose
    // pose moved is the one that was drawn (a frame evaluates its scene at the new time).
    Drawn Render(int elapsed) {
        for (int i = 0; i < kScenes; ++i)
            if (player->scenes[i] && player->scenes[i]->file)
                lib3ds_file_eval(player->scenes[i]->file, kUnusedFrame);
        EXPECT_EQ(player->Render(elapsed, 0), 1);
        glFinish();
        Drawn drawn = {-1, 0.0};
        for (int i = 0; i < kScenes; ++i) {
            Lib3dsNode* camera = CameraNode(player->scenes[i]);
            if (!camera || std::fabs(camera->data.camera.pos[0] - kUnusedFrame) < 0.5f) continue;
            EXPECT_EQ(drawn.slot, -1) << "two scenes drawn in one frame";
            drawn = {i, camera->data.camera.pos[0] * 100.0};
        }
        return drawn;
    }

    // The picture that fills the whole frame upright, or 0 when the frame is not one picture.
    // Linear filtering blends the texels next to the edges and the middle line (the edges
    // with the opposite edge, as the texture repeats), so a margin there is not checked.
    static int PictureShown() {
        const int margin = 8;
        int width = 0, height = 0;
        std::vector<std::uint8_t> pixels = headless::ReadPixels(&width, &height);
        if (pixels.empty()) return 0;
        // Red is 10 n; 16-bit colour rounds it by up to 7.
        int red = pixels[(std::size_t(height - margin) * width + width / 2) * 3];
        int n = std::min(24, int(std::lround(red / 10.0)));
        if (n < 1) return 0;
        for (int y = margin; y < height - margin; ++y) {
            if (std::abs(y - height / 2) < margin) continue;
            int r, g, b;
            PictureColour(n, y >= height / 2, &r, &g, &b);  // y counts from the bottom
            for (int x = margin; x < width - margin; ++x) {
                const std::uint8_t* p = &pixels[(std::size_t(y) * width + x) * 3];
                if (std::abs(p[0] - r) > 8 || std::abs(p[1] - g) > 8 || std::abs(p[2] - b) > 8)
                    return 0;
            }
        }
        return n;
    }

    static float DepthAtCentre() {
        float depth = -1.0f;
        glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    }

    std::unique_ptr<ScenePlayer> player;
};

TEST_F(ScenePlayerTest, EachElapsedTimeReachesItsSceneAtItsSceneTime) {
    WriteShow();
    StartPlayer();
    EXPECT_EQ(player->sceneCount, 12);
    const struct {
        int elapsed;
        int slot;
        int sceneTime;
    } cases[] = {
        {0, 0, 0},           {6665, 0, 6665},     {6666, 1, 0},        {13333, 2, 0},
        {60000, 5, 0},       {60416, 5, 416},     {60491, 5, 491},     {86323, 5, 26323},
        {99999, 5, 39999},   {100000, 6, 0},      {186666, 11, 19999}, {186667, 12, 0},
        {200000, 12, 13333}, {207100, 12, 20433}, {250000, 12, 63333},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elapsed);
        Drawn drawn = Render(c.elapsed);
        EXPECT_EQ(drawn.slot, c.slot);
        EXPECT_NEAR(drawn.time, c.sceneTime, 0.5);
        EXPECT_EQ(PictureShown(), 0);
    }
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ScenePlayerTest, FlashWindowsShowTheirPictureAndNoScene) {
    WriteShow();
    StartPlayer();
    const struct {
        int elapsed;
        int picture;  // 0: no flash, the scene is drawn
    } cases[] = {
        {60416, 0},  {60417, 1},  {60490, 1}, {60491, 0},  {66248, 0},  {66249, 15},
        {70000, 24}, {70417, 1},  {80000, 0}, {80001, 24}, {80074, 24}, {80075, 0},
        {86249, 15}, {86322, 15}, {86323, 0}, {90000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elapsed);
        Drawn drawn = Render(c.elapsed);
        EXPECT_EQ(PictureShown(), c.picture);
        EXPECT_EQ(drawn.slot, c.picture ? -1 : 5);
    }
}

TEST_F(ScenePlayerTest, EveryFrameStartsFromClearedBuffers) {
    WriteShow();
    StartPlayer();
    Render(60000);
    ASSERT_LT(DepthAtCentre(), 1.0f) << "the scene should have drawn its square";
    // The flash draws without depth testing, so the depth left is what the clear wrote.
    Render(60417);
    EXPECT_EQ(DepthAtCentre(), 1.0f);
    EXPECT_EQ(PictureShown(), 1);
}

// Init sets up the drawing state the show needs: started from the opposite state, the
// player draws the same frames as one started from the show's own.
TEST_F(ScenePlayerTest, InitSetsUpTheDrawingStateOfTheShow) {
    WriteShow();
    // The textured first scene, the lit fifth one and a flash.
    const std::vector<int> moments = {1000, 60000, 60417};
    StartPlayer();
    const std::vector<std::vector<std::uint8_t>> expected = FramesAt(moments);

    glClearColor(1, 1, 1, 0);
    for (GLenum capability :
         {GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_DEPTH_TEST, GL_CULL_FACE})
        glDisable(capability);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_FLAT);
    glDepthFunc(GL_ALWAYS);
    glCullFace(GL_FRONT);
    glPolygonOffset(0.0f, 0.0f);
    RestartPlayer();
    const std::vector<std::vector<std::uint8_t>> drawn = FramesAt(moments);
    ASSERT_EQ(expected.size(), drawn.size());
    for (std::size_t i = 0; i < moments.size(); ++i) {
        ASSERT_FALSE(expected[i].empty());
        EXPECT_TRUE(expected[i] == drawn[i]) << "the frame at " << moments[i] << " ms differs";
    }
}

TEST_F(ScenePlayerTest, InitLoadsTheScenesThenThePictures) {
    WriteShow();
    player = std::make_unique<ScenePlayer>();
    EXPECT_EQ(player->sceneCount, 0);
    ASSERT_EQ(player->Init(), 1);
    for (int i = 0; i < kScenes; ++i) {
        ASSERT_NE(player->scenes[i], nullptr);
        EXPECT_EQ(std::string(player->scenes[i]->path),
                  std::string("data\\") + kSceneTable[i].file);
    }
    ASSERT_EQ(textureRegistry->textureCount, 25);
    EXPECT_STREQ(textureRegistry->fileNames[0], "wall.png");
    for (int n = 1; n <= 24; ++n) EXPECT_EQ(textureRegistry->fileNames[n], PictureName(n));
}

TEST_F(ScenePlayerTest, MissingFilesAreReportedAndTheShowGoesOn) {
    WriteShow({"tube.3ds", "chinois3.png"});
    StartPlayer();
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"Load3ds error : Can't load 3ds file data\\tube.3ds",
                                        "Error : Can't open file data\\chinois3.png"}));
    EXPECT_EQ(textureRegistry->textureCount, 24);

    // Flash 2 wants picture 3: it binds nothing and draws over the frame all the same.
    Drawn drawn = Render(61250);
    EXPECT_EQ(drawn.slot, -1);
    drawn = Render(61400);
    EXPECT_EQ(drawn.slot, 5);
    drawn = Render(14000);
    EXPECT_EQ(drawn.slot, -1) << "the missing scene's span draws nothing";
    drawn = Render(27000);
    EXPECT_EQ(drawn.slot, 3);
    EXPECT_NEAR(drawn.time, 334, 0.5);
}

}  // namespace
