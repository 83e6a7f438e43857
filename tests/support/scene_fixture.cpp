// scene_fixture.cpp: scratch data folder, texture registry and show state for scene tests.
#include "support/scene_fixture.h"

#include "platform/gl.h"

#include <filesystem>
#include <vector>

#include "app/program_state.h"
#include "demo/scene_player.h"
#include "gfx/texture_registry.h"
#include "support/png_test_files.h"

namespace fs = std::filesystem;

void SceneFixture::SetUp() {
    GlWindowTest::SetUp();
    textureRegistry = new TextureRegistry();
    SetShowState();
    ClearFrame();
}

void SceneFixture::TearDown() {
    delete textureRegistry;
    textureRegistry = nullptr;
    GlWindowTest::TearDown();
}

void SceneFixture::WriteScene(const scene_writer::Scene& scene, const std::string& name) {
    std::string error;
    ASSERT_EQ(1, scene_writer::WriteScene(scene, DataPath(name), &error)) << error;
}

void SceneFixture::CopyCorpusFile(const std::string& corpusName, const std::string& name) {
    fs::copy_file(std::string(KELVO_TEST_DATA_DIR) + "/3ds/" + corpusName, DataPath(name),
                  fs::copy_options::overwrite_existing);
}

void SceneFixture::WriteTexture(const std::string& name, int r, int g, int b) {
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < 16; ++i) {
        rgb.push_back(std::uint8_t(r));
        rgb.push_back(std::uint8_t(g));
        rgb.push_back(std::uint8_t(b));
    }
    ASSERT_TRUE(testpng::WriteRgb(DataPath(name), 4, 4, rgb));
}

std::string SceneFixture::DataPath(const std::string& name) const { return folder_.Data(name); }

void SceneFixture::SetShowState() { SetShowBaselineState(); }

void SceneFixture::ClearFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void AddTestCamera(scene_writer::Scene& scene) {
    scene_writer::AddStillCamera(scene, "Camera01", {0, -10, 0}, {0, 0, 0}, 45.0f);
}

scene_writer::Mesh FacingSquare(const std::string& name, float x, float z, float halfSize,
                                const std::string& material, float depth) {
    scene_writer::Mesh mesh;
    mesh.name = name;
    const float h = halfSize;
    mesh.points = {
        {x - h, depth, z - h}, {x + h, depth, z - h}, {x + h, depth, z + h}, {x - h, depth, z + h}};
    mesh.texels = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    // Counter-clockwise seen from the camera at -Y: front faces, normals towards it.
    mesh.faces = {{0, 1, 2, material}, {0, 2, 3, material}};
    return mesh;
}
