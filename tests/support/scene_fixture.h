// scene_fixture.h: a GL window test with a scratch data folder as the working directory,
// the texture registry and the show's OpenGL state, for the scene tests.
#pragma once

#include <string>

#include "support/headless_window.h"
#include "support/test_files.h"
#include "tools/assets/scene_writer.h"

class SceneFixture : public GlWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a scene or a copy of a corpus file (tests/data/3ds) as data/name.
    void WriteScene(const scene_writer::Scene& scene, const std::string& name);
    void CopyCorpusFile(const std::string& corpusName, const std::string& name);
    // A 4 x 4 PNG of one colour as data/name.
    void WriteTexture(const std::string& name, int r, int g, int b);
    // The real path of data/name inside the scratch folder.
    std::string DataPath(const std::string& name) const;

    // The OpenGL state the scene player sets up for the whole show, then a cleared frame.
    static void SetShowState();
    static void ClearFrame();

private:
    WorkingFolder folder_;
};

// Common fixture content: a camera "Camera01" at (0, -10, 0) looking at the origin (world
// Z up, so world X is screen right and world Z screen up) with a 45 degree field of view.
void AddTestCamera(scene_writer::Scene& scene);
// A square in the plane y = depth facing the camera, centred on (x, depth, z), with
// texture coordinates; its two faces use material (may be empty).
scene_writer::Mesh FacingSquare(const std::string& name, float x, float z, float halfSize,
                                const std::string& material, float depth = 0.0f);
