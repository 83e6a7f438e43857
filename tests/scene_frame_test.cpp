// scene_frame_test.cpp: Scene::DrawFrame on real GL: camera, projection, lights, animation lag.
#include "platform/gl.h"
#include <lib3ds/file.h>
#include <lib3ds/node.h>

#include <string>
#include <vector>

#include "scene/scene.h"
#include "support/scene_fixture.h"

namespace sw = scene_writer;

namespace {

class SceneFrame : public SceneFixture {};

bool Lit(int x, int y) {
    const Rgb pixel = PixelAt(x, y);
    return pixel.r + pixel.g + pixel.b > 60;
}

// A thin upright bar facing the camera at world x, 10 units in front of it.
sw::Scene BarScene(float x) {
    sw::Scene scene;
    AddTestCamera(scene);
    sw::Mesh bar = FacingSquare("Bar", x, 0, 0.1f, "");
    scene.meshes = {bar};
    sw::AddObjectNode(scene, "Bar");
    return scene;
}

// Screen column of world x at the camera's distance of 10: tan(22.5 deg) * 10 units span
// half the height, times the 1.333 aspect half the width.
int ColumnOf(float x, int width) {
    const float halfWidthAtTarget = 0.41421356f * 10.0f * 1.333f;
    return static_cast<int>(width / 2 + x / halfWidthAtTarget * (width / 2));
}

}  // namespace

TEST_F(SceneFrame, LitTexturedTriangleAppearsWhereTheCameraLooks) {
    WriteTexture("red.png", 255, 0, 0);
    sw::Scene content;
    AddTestCamera(content);
    content.materials = {{"Red", "red.png"}};
    sw::Mesh triangle;
    triangle.name = "Tri";
    triangle.points = {{2, 0, -1}, {4, 0, -1}, {3, 0, 1}};
    triangle.texels = {{0, 0}, {1, 0}, {0.5f, 1}};
    triangle.faces = {{0, 1, 2, "Red"}};
    content.meshes = {triangle};
    sw::AddObjectNode(content, "Tri");
    WriteScene(content, "tri.3ds");

    Scene scene;
    ASSERT_EQ(1, scene.Load("tri.3ds"));
    ASSERT_EQ(1, scene.DrawFrame(0));
    const Rgb inside = PixelAt(ColumnOf(3, 640), 240);
    // Red texture under the head light: ambient 0.2 * 0.2 plus diffuse 0.8, full on.
    EXPECT_NEAR(214, inside.r, 12);
    EXPECT_LT(inside.g, 10);
    EXPECT_LT(inside.b, 10);
    EXPECT_FALSE(Lit(320, 240));
    EXPECT_FALSE(Lit(ColumnOf(-3, 640), 240));
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}

TEST_F(SceneFrame, AspectStaysFourToThreeInAWideViewport) {
    headless::ResizeClient(window, 800, 400);
    WriteScene(BarScene(3.0f), "bar.3ds");
    Scene scene;
    ASSERT_EQ(1, scene.Load("bar.3ds"));
    ClearFrame();
    ASSERT_EQ(1, scene.DrawFrame(0));
    EXPECT_TRUE(Lit(ColumnOf(3.0f, 800), 200));
    // Where the bar would be with the viewport's own 2:1 aspect.
    EXPECT_FALSE(Lit(400 + static_cast<int>(3.0f / (0.41421356f * 10.0f * 2.0f) * 400), 200));
}

TEST_F(SceneFrame, AnimationShowsThePoseOfThePreviousCall) {
    sw::Scene content = BarScene(0.0f);
    content.nodes.back().position = {{0, {-3, 0, 0}}, {1, {3, 0, 0}}};  // keyframe frames
    WriteScene(content, "move.3ds");
    Scene scene;
    ASSERT_EQ(1, scene.Load("move.3ds"));
    const int left = ColumnOf(-3, 640), right = ColumnOf(3, 640);

    ASSERT_EQ(1, scene.DrawFrame(100));  // draws frame 0, then evaluates frame 1
    EXPECT_TRUE(Lit(left, 240));
    EXPECT_FALSE(Lit(right, 240));
    ClearFrame();
    ASSERT_EQ(1, scene.DrawFrame(0));  // draws frame 1, then evaluates frame 0
    EXPECT_FALSE(Lit(left, 240));
    EXPECT_TRUE(Lit(right, 240));
    Lib3dsNode* node = lib3ds_file_node_by_name(scene.file, "Bar", LIB3DS_OBJECT_NODE);
    EXPECT_FLOAT_EQ(-3.0f, node->matrix[3][0]);
}

TEST_F(SceneFrame, FirstSevenLightsByNameBecomeDirectionalGlLights) {
    sw::Scene content;
    AddTestCamera(content);
    for (int i = 9; i >= 1; --i)  // stored in reverse; lib3ds sorts them by name
        content.lights.push_back({"Light" + std::to_string(i), {float(i), 2.0f, 3.0f}});
    WriteScene(content, "lights.3ds");
    const GLfloat sentinel[4] = {5, 6, 7, 1};
    for (int i = 0; i < 8; ++i) glLightfv(GL_LIGHT0 + i, GL_POSITION, sentinel);

    Scene scene;
    ASSERT_EQ(1, scene.Load("lights.3ds"));
    ASSERT_EQ(1, scene.DrawFrame(0));
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);  // the full view transform after the frame
    for (int i = 1; i <= 7; ++i) {
        const GLfloat world[4] = {float(i), 2.0f, 3.0f, 0.0f};
        GLfloat got[4];
        glGetLightfv(GL_LIGHT0 + i, GL_POSITION, got);
        for (int row = 0; row < 4; ++row) {
            float expected = 0;
            for (int k = 0; k < 4; ++k) expected += view[k * 4 + row] * world[k];
            EXPECT_NEAR(expected, got[row], 1e-4f) << "light " << i << " row " << row;
        }
    }
    GLfloat head[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, head);  // towards the viewer in eye space
    EXPECT_NEAR(0.0f, head[0], 1e-6f);
    EXPECT_NEAR(0.0f, head[1], 1e-6f);
    EXPECT_NEAR(1.0f, head[2], 1e-6f);
    EXPECT_NEAR(0.0f, head[3], 1e-6f);

    // A file without lights leaves GL_LIGHT1 where it was.
    WriteScene(BarScene(0.0f), "dark.3ds");
    glLightfv(GL_LIGHT1, GL_POSITION, sentinel);
    glGetLightfv(GL_LIGHT1, GL_POSITION, head);  // the sentinel, in eye space
    Scene dark;
    ASSERT_EQ(1, dark.Load("dark.3ds"));
    ASSERT_EQ(1, dark.DrawFrame(0));
    GLfloat got[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, got);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(head[i], got[i]);
}
