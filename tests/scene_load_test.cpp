// scene_load_test.cpp: Scene::Load and Scene::PreloadTextures on real 3DS files.
#include <lib3ds/file.h>
#include <lib3ds/node.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "gfx/texture_registry.h"
#include "scene/scene.h"
#include "support/scene_fixture.h"

namespace sw = scene_writer;

namespace {

class SceneLoad : public SceneFixture {};

sw::Scene OneSquareScene() {
    sw::Scene scene;
    AddTestCamera(scene);
    scene.meshes = {FacingSquare("Square", 0, 0, 1, "")};
    sw::AddObjectNode(scene, "Square");
    return scene;
}

}  // namespace

TEST_F(SceneLoad, MissingFileReportsItsDataPathOnceAndNeverDraws) {
    Scene scene;
    EXPECT_EQ(0, scene.Load("vil.3ds"));
    EXPECT_EQ(nullptr, scene.file);
    EXPECT_STREQ("data\\vil.3ds", scene.path);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(0, scene.DrawFrame(frame * 40));
    EXPECT_EQ((std::vector<std::string>{"Load3ds error : Can't load 3ds file data\\vil.3ds",
                                        "load3ds : No file loaded"}),
              BoxTexts());
}

TEST_F(SceneLoad, NameTooLongForItsPathIsReportedInFullAndNotOpenedCutShort) {
    // "data\\" and 250 letters fill the path; a file of that name is there to be found by
    // a name cut short.
    const std::string fitting(250, 'a');
    WriteScene(OneSquareScene(), fitting);
    Scene scene;
    EXPECT_EQ(1, scene.Load(fitting.c_str()));
    EXPECT_EQ(0, scene.Load((fitting + "b.3ds").c_str()));
    EXPECT_EQ(nullptr, scene.file);
    EXPECT_EQ((std::vector<std::string>{"Load3ds error : Can't load 3ds file data\\" + fitting +
                                        "b.3ds"}),
              BoxTexts());
}

TEST_F(SceneLoad, FileWithoutCameraIsReleasedAndBehavesAsNeverLoaded) {
    sw::Scene content;
    content.meshes = {FacingSquare("Square", 0, 0, 1, "")};
    sw::AddObjectNode(content, "Square");
    WriteScene(content, "nocam.3ds");
    Scene scene;
    EXPECT_EQ(0, scene.Load("nocam.3ds"));
    EXPECT_EQ(nullptr, scene.file);
    EXPECT_EQ(nullptr, scene.cameraName);
    EXPECT_EQ(0, scene.DrawFrame(0));
    EXPECT_EQ(0, scene.DrawFrame(40));
    EXPECT_EQ((std::vector<std::string>{"Load3ds error : no camera", "load3ds : No file loaded"}),
              BoxTexts());
}

TEST_F(SceneLoad, FirstCameraByNameWithTargetCamera01AndMissingNodesReportedOnce) {
    // "Alpha" sorts first; its target is looked up as "Camera01", which this file has.
    sw::Scene both = OneSquareScene();
    sw::AddStillCamera(both, "Zulu", {0, 10, 0}, {0, 0, 0});
    sw::AddStillCamera(both, "Alpha", {0, -10, 0}, {0, 0, 0});
    WriteScene(both, "both.3ds");
    Scene scene;
    ASSERT_EQ(1, scene.Load("both.3ds"));
    EXPECT_STREQ("Alpha", scene.cameraName);
    EXPECT_STREQ("Camera01", scene.targetName);
    EXPECT_EQ(1, scene.DrawFrame(0));

    // Without a target node named "Camera01" the scene cannot be drawn: said once.
    sw::Scene alphaOnly;
    sw::AddStillCamera(alphaOnly, "Alpha", {0, -10, 0}, {0, 0, 0});
    WriteScene(alphaOnly, "alpha.3ds");
    Scene lonely;
    ASSERT_EQ(1, lonely.Load("alpha.3ds"));
    EXPECT_EQ(0, lonely.DrawFrame(0));
    EXPECT_EQ(0, lonely.DrawFrame(40));

    // Neither node: only the camera is reported.
    sw::Scene noNodes;
    noNodes.cameras.push_back({"Camera01"});
    WriteScene(noNodes, "nonodes.3ds");
    Scene bare;
    ASSERT_EQ(1, bare.Load("nonodes.3ds"));
    EXPECT_EQ(0, bare.DrawFrame(0));
    EXPECT_EQ((std::vector<std::string>{"load3ds : No target", "load3ds : No camera"}), BoxTexts());
}

TEST_F(SceneLoad, EachMaterialRequestsItsTextureInNameOrderDuplicatesIncluded) {
    WriteTexture("a.png", 255, 0, 0);
    WriteTexture("b.png", 0, 255, 0);
    sw::Scene content = OneSquareScene();
    sw::Material a{"A", "a.png"}, b{"B", "b.png"}, c{"C", "a.png"}, plain{"D", ""};
    content.materials = {plain, c, b, a};
    WriteScene(content, "mats.3ds");
    Scene scene;
    ASSERT_EQ(1, scene.Load("mats.3ds"));
    ASSERT_EQ(3, textureRegistry->textureCount);
    EXPECT_STREQ("a.png", textureRegistry->fileNames[0]);
    EXPECT_STREQ("b.png", textureRegistry->fileNames[1]);
    EXPECT_STREQ("a.png", textureRegistry->fileNames[2]);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SceneLoad, LoadLeavesNodesAtTheFrameZeroPose) {
    sw::Scene content = OneSquareScene();
    content.nodes.back().position = {{0, {-3, 0, 0}}, {100, {3, 0, 0}}};
    WriteScene(content, "pose.3ds");
    Scene scene;
    ASSERT_EQ(1, scene.Load("pose.3ds"));
    Lib3dsNode* node = lib3ds_file_node_by_name(scene.file, "Square", LIB3DS_OBJECT_NODE);
    ASSERT_NE(nullptr, node);
    EXPECT_FLOAT_EQ(-3.0f, node->matrix[3][0]);
}

TEST_F(SceneLoad, CorpusFilesLoadOrReportTheirMissingCamera) {
    struct Case {
        const char* file;
        bool hasCamera;
    };
    const Case cases[] = {{"TargetCameraAnim.3ds", true},
                          {"test1.3ds", false},
                          {"RotatingCube.3DS", false},
                          {"cubes_with_alpha.3DS", false},
                          {"cube_with_diffuse_texture.3DS", false}};
    for (const Case& c : cases) {
        CopyCorpusFile(c.file, "corpus.3ds");
        const std::size_t boxesBefore = BoxTexts().size();
        Scene scene;
        EXPECT_EQ(c.hasCamera ? 1 : 0, scene.Load("corpus.3ds")) << c.file;
        const std::vector<std::string> boxes = BoxTexts();
        const std::vector<std::string> shown(boxes.begin() + boxesBefore, boxes.end());
        EXPECT_EQ(c.hasCamera ? std::vector<std::string>{}
                              : std::vector<std::string>{"Load3ds error : no camera"},
                  shown)
            << c.file;
    }
}

TEST_F(SceneLoad, CorpusCameraAnimationDrawsAVisibleFrame) {
    CopyCorpusFile("TargetCameraAnim.3ds", "anim.3ds");
    Scene scene;
    ASSERT_EQ(1, scene.Load("anim.3ds"));
    ASSERT_EQ(1, scene.DrawFrame(0));
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels = headless::ReadPixels(&width, &height);
    int lit = 0;
    for (std::uint8_t value : pixels) lit += value > 16;
    EXPECT_GT(lit, 1000);
    EXPECT_TRUE(BoxTexts().empty());
}
