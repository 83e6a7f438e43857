// scene_node_test.cpp: mesh node display lists on real GL: what they draw and the blend
// state they record.
#include "platform/gl.h"
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <cstring>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "support/png_test_files.h"
#include "support/scene_fixture.h"

namespace sw = scene_writer;

namespace {

class SceneNode : public SceneFixture {
protected:
    // Writes content as data/name and loads it into scene_.
    void Load(const sw::Scene& content) {
        WriteScene(content, "node.3ds");
        ASSERT_EQ(1, scene_.Load("node.3ds"));
    }
    void Draw(int ms = 0) {
        ClearFrame();
        ASSERT_EQ(1, scene_.DrawFrame(ms));
    }
    Lib3dsNode* Node(const char* name) {
        return lib3ds_file_node_by_name(scene_.file, name, LIB3DS_OBJECT_NODE);
    }
    Lib3dsMesh* Mesh(const char* name) { return lib3ds_file_mesh_by_name(scene_.file, name); }

    Scene scene_;
};

sw::Scene WithCamera() {
    sw::Scene scene;
    AddTestCamera(scene);
    return scene;
}

bool Lit(int x, int y) {
    const Rgb pixel = PixelAt(x, y);
    return pixel.r + pixel.g + pixel.b > 60;
}

// Screen positions of world points on the plane y = 0 (see the frame test for the numbers).
int Column(float x) { return static_cast<int>(320 + x / (0.41421356f * 10 * 1.333f) * 320); }
int Row(float z) { return static_cast<int>(240 + z / (0.41421356f * 10) * 240); }

}  // namespace

TEST_F(SceneNode, TransparentFaceAddsItsColourOverWhatIsAlreadyDrawn) {
    WriteTexture("red.png", 255, 0, 0);
    WriteTexture("green.png", 0, 255, 0);
    sw::Scene content = WithCamera();
    content.materials = {{"Stone", "red.png"}, {"Glow", "green.png", 0.5f}};
    // The glowing square lies behind the opaque one and is drawn after it (nodes go in name
    // order): with depth test on it would be hidden.
    content.meshes = {FacingSquare("A", 0, 0, 1, "Stone"), FacingSquare("B", 0, 0, 1, "Glow", 5)};
    sw::AddObjectNode(content, "A");
    sw::AddObjectNode(content, "B");
    Load(content);
    Draw();
    const Rgb both = PixelAt(320, 240);
    EXPECT_NEAR(214, both.r, 12);  // lit red
    EXPECT_GT(both.g, 240);        // unlit green texture added in full
    EXPECT_LT(both.b, 10);
    EXPECT_EQ(1, scene_.blending);
}

TEST_F(SceneNode, ListsReplayTheFirstDrawWhateverTheMeshDataBecomes) {
    sw::Scene content = WithCamera();
    content.meshes = {FacingSquare("Box", 0, 0, 1, "")};
    const int node = sw::AddObjectNode(content, "Box");
    content.nodes[node].position = {{0, {0, 0, 0}}, {1, {3, 0, 0}}};
    Load(content);
    Draw(0);
    ASSERT_TRUE(Lit(320, 240));
    const GLuint list = Node("Box")->user.d;
    EXPECT_NE(0u, list);

    Lib3dsMesh* mesh = Mesh("Box");
    for (Lib3dsDword i = 0; i < mesh->points; ++i) mesh->pointL[i].pos[0] += 100.0f;
    mesh->faces = 0;
    Draw(0);
    EXPECT_TRUE(Lit(320, 240));
    EXPECT_EQ(list, Node("Box")->user.d);

    Draw(100);  // still frame 0: animation lags a frame
    Draw(100);  // the node's matrix now holds frame 1: the list moves with it
    EXPECT_FALSE(Lit(320, 240));
    EXPECT_TRUE(Lit(Column(3), 240));
}

TEST_F(SceneNode, DummyNodeDrawsOnlyItsChildren) {
    sw::Scene content = WithCamera();
    // A mesh of the dummy's name proves the node itself is skipped, not just unmatched.
    content.meshes = {FacingSquare("$$$DUMMY", 0, 0, 1, ""), FacingSquare("Kid", 3, 0, 0.5f, "")};
    const int dummy = sw::AddObjectNode(content, "$$$DUMMY");
    sw::AddObjectNode(content, "Kid", {0, 0, 0}, dummy);
    Load(content);
    Draw();
    EXPECT_FALSE(Lit(320, 240));
    EXPECT_TRUE(Lit(Column(3), 240));
    EXPECT_EQ(0u, Node("$$$DUMMY")->user.d);
}

TEST_F(SceneNode, NodeWithoutMeshDrawsNothingButItsChildren) {
    sw::Scene content = WithCamera();
    content.meshes = {FacingSquare("Kid", 0, 0, 0.5f, "")};
    const int ghost = sw::AddObjectNode(content, "Ghost");
    sw::AddObjectNode(content, "Kid", {0, 0, 0}, ghost);
    Load(content);
    Draw();
    EXPECT_TRUE(Lit(320, 240));
    EXPECT_EQ(0, scene_.DrawNode(Node("Ghost")));
    EXPECT_EQ(0u, Node("Ghost")->user.d);
}

TEST_F(SceneNode, PivotAndMeshMatrixPlaceTheStoredPoints) {
    // Points stored where the modelling matrix put them (x + 2); the node's pivot (1, 0, 0)
    // is subtracted: 2 - 2 - 1 = net shift of -1 from the node's position of 0.
    sw::Scene content = WithCamera();
    sw::Mesh square = FacingSquare("Box", 2, 0, 0.3f, "");
    square.matrix = sw::TranslationMatrix({2, 0, 0});
    content.meshes = {square};
    const int node = sw::AddObjectNode(content, "Box");
    content.nodes[node].pivot = {1, 0, 0};
    Load(content);
    Draw();
    EXPECT_TRUE(Lit(Column(-1), 240));
    EXPECT_FALSE(Lit(Column(2), 240));
}

TEST_F(SceneNode, MissingTexelsUseFixedCornerCoordinates) {
    std::vector<std::uint8_t> halves;  // left two columns red, right two green
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            halves.push_back(x < 2 ? 255 : 0);
            halves.push_back(x < 2 ? 0 : 255);
            halves.push_back(0);
        }
    ASSERT_TRUE(testpng::WriteRgb(DataPath("halves.png"), 4, 4, halves));
    sw::Scene content = WithCamera();
    content.materials = {{"Split", "halves.png"}};
    sw::Mesh triangle;
    triangle.name = "Tri";
    triangle.points = {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}};  // corners get u = 0, 0, 1
    triangle.faces = {{0, 1, 2, "Split"}};
    content.meshes = {triangle};
    sw::AddObjectNode(content, "Tri");
    Load(content);
    Draw();
    const Rgb low = PixelAt(Column(0.0f), Row(-0.5f));  // u = 0.25
    const Rgb high = PixelAt(Column(0.9f), Row(0.7f));  // u = 0.85
    EXPECT_GT(low.r, low.g);
    EXPECT_GT(high.g, high.r);
}

TEST_F(SceneNode, DamagedMeshDataIsDrawnSafely) {
    sw::Scene content = WithCamera();
    content.meshes = {FacingSquare("Broken", 0, 0, 1, ""), FacingSquare("Short", 3, 0, 0.5f, ""),
                      FacingSquare("Flat", -3, 0, 0.5f, "")};
    for (const char* name : {"Broken", "Short", "Flat"}) sw::AddObjectNode(content, name);
    Load(content);
    // A face pointing past the points is left out; the other face of the square stays.
    Mesh("Broken")->faceL[0].points[1] = 999;
    // Fewer texture coordinates than points: the missing ones take the fixed coordinates.
    Mesh("Short")->texels = 1;
    // A modelling matrix without inverse: the points are drawn as stored.
    std::memset(Mesh("Flat")->matrix, 0, sizeof(Lib3dsMatrix));
    Draw();
    EXPECT_TRUE(Lit(Column(-0.5f), Row(0.5f)));   // upper-left face of "Broken"
    EXPECT_FALSE(Lit(Column(0.5f), Row(-0.5f)));  // its lower-right face, left out
    EXPECT_TRUE(Lit(Column(3), 240));
    EXPECT_TRUE(Lit(Column(-3), 240));
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}

// Each node's list is compiled in node (name) order while the scene's blending flag
// carries over from list to list; replaying a list from the opposite state shows what it
// recorded. T: transparent material, O: opaque, N: no material, U: unknown material name.
TEST_F(SceneNode, BlendStateIsRecordedOnlyWhenItChanges) {
    struct Row {
        const char* node;
        const char* faces;
        bool replayFromBlended;  // the state set before replaying the list
        bool blendedAfter;       // the state the replay leaves
    };
    const Row rows[] = {
        {"A", "TT", false, true},  // first list: blending starts off, so it records the switch
        {"B", "T", false, false},  // blending already recorded on: records nothing
        {"C", "TO", true, false},  // the opaque face restores the full state
        {"D", "N", true, false},   // no material counts as opaque
        {"E", "OT", false, true},  // opaque then transparent
        {"F", "U", true, false},   // a name matching no material counts as opaque
        {"G", "OO", true, false},  // every opaque face records the restoring commands
    };
    sw::Scene content = WithCamera();
    content.materials = {{"Glass", "", 0.5f}, {"Stone", ""}};
    for (const Row& row : rows) {
        sw::Mesh mesh;
        mesh.name = row.node;
        mesh.points = {{0, 50, 0}, {1, 50, 0}, {0, 50, 1}};
        for (const char* kind = row.faces; *kind; ++kind) {
            const char* material = *kind == 'T'   ? "Glass"
                                   : *kind == 'O' ? "Stone"
                                   : *kind == 'U' ? "Nowhere"
                                                  : "";
            mesh.faces.push_back({0, 1, 2, material});
        }
        content.meshes.push_back(mesh);
        sw::AddObjectNode(content, row.node);
    }
    Load(content);
    Draw();
    EXPECT_EQ(0, scene_.blending);

    for (const Row& row : rows) {
        if (row.replayFromBlended) {
            glEnable(GL_BLEND);
            glDisable(GL_LIGHTING);
            glDisable(GL_CULL_FACE);
            glDisable(GL_DEPTH_TEST);
        } else {
            SetShowState();
            glDisable(GL_BLEND);
        }
        glBlendFunc(GL_ZERO, GL_ZERO);
        glPushMatrix();
        glCallList(Node(row.node)->user.d);
        glPopMatrix();
        const bool blended = row.blendedAfter;
        EXPECT_EQ(blended, glIsEnabled(GL_BLEND) == GL_TRUE) << row.node;
        EXPECT_EQ(!blended, glIsEnabled(GL_LIGHTING) == GL_TRUE) << row.node;
        EXPECT_EQ(!blended, glIsEnabled(GL_CULL_FACE) == GL_TRUE) << row.node;
        EXPECT_EQ(!blended, glIsEnabled(GL_DEPTH_TEST) == GL_TRUE) << row.node;
        GLint source = 0;
        glGetIntegerv(GL_BLEND_SRC, &source);
        const bool recordedBlend = row.blendedAfter && !row.replayFromBlended;
        EXPECT_EQ(recordedBlend ? GL_ONE : GL_ZERO, source) << row.node;
    }
}
