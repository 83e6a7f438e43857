// scene_frame.cpp: first-frame (list compile) and steady frame times of Scene::DrawFrame on
// the headless layer at 640 x 480, for the corpus camera animation and a 10,000-triangle scene.
//
// Usage: bench_scene_frame [path to TargetCameraAnim.3ds] [steady frames, default 500]
#include "platform/gl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "demo/scene_player.h"
#include "tools/bench/bench_window.h"
#include "gfx/texture_registry.h"
#include "platform/headless/headless.h"
#include "scene/scene.h"
#include "tools/assets/scene_writer.h"

namespace fs = std::filesystem;
namespace sw = scene_writer;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A 100 x 50 grid of quads (10,000 triangles) filling the view, in 10 meshes, one node each.
sw::Scene GridScene() {
    sw::Scene scene;
    sw::AddStillCamera(scene, "Camera01", {0, -60, 0}, {0, 0, 0}, 45.0f);
    scene.lights.push_back({"Sun", {1, -1, 1}});
    const int columns = 100, rowsPerMesh = 5, meshes = 10;
    for (int m = 0; m < meshes; ++m) {
        sw::Mesh mesh;
        mesh.name = "Grid" + std::to_string(m);
        for (int r = 0; r <= rowsPerMesh; ++r)
            for (int c = 0; c <= columns; ++c) {
                const float x = -40.0f + 80.0f * c / columns;
                const float z = -20.0f + 40.0f * (m * rowsPerMesh + r) / (rowsPerMesh * meshes);
                mesh.points.push_back({x, 0.5f * ((c + r) % 2), z});
                mesh.texels.push_back({float(c) / columns, float(r) / rowsPerMesh});
            }
        for (int r = 0; r < rowsPerMesh; ++r)
            for (int c = 0; c < columns; ++c) {
                const auto at = [&](int rr, int cc) {
                    return static_cast<unsigned short>(rr * (columns + 1) + cc);
                };
                mesh.faces.push_back({at(r, c), at(r, c + 1), at(r + 1, c + 1), ""});
                mesh.faces.push_back({at(r, c), at(r + 1, c + 1), at(r + 1, c), ""});
            }
        scene.meshes.push_back(mesh);
        sw::Node node;
        node.name = mesh.name;
        node.position = {{0, {0, 0, 0}}, {100, {0, 5, 0}}};
        node.rotation = {{0, {0, 0, 1}, 0.0f}, {100, {0, 0, 1}, 0.3f}};
        scene.nodes.push_back(node);
    }
    return scene;
}

struct Figures {
    double firstFrameMs;
    double medianMs;
    double p95Ms;
};

Figures Measure(const char* name, int frames) {
    Scene scene;
    if (!scene.Load(name)) {
        std::fprintf(stderr, "cannot load %s\n", name);
        std::exit(1);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
    Clock::time_point start = Clock::now();
    scene.DrawFrame(0);
    glFinish();
    Figures figures{MillisecondsSince(start), 0, 0};

    std::vector<double> times;
    for (int i = 1; i <= frames; ++i) {
        start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene.DrawFrame(i * 16);
        glFinish();
        times.push_back(MillisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    figures.medianMs = times[times.size() / 2];
    figures.p95Ms = times[times.size() * 95 / 100];
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path source =
        fs::path(__FILE__).parent_path() / "../../tests/data/3ds/TargetCameraAnim.3ds";
    const fs::path corpus = fs::absolute(argc > 1 ? fs::path(argv[1]) : source);
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 500;

    const fs::path folder =
        fs::temp_directory_path() /
        ("kelvo_bench_scene_" + std::to_string(Clock::now().time_since_epoch().count()));
    fs::create_directories(folder / "data");
    fs::copy_file(corpus, folder / "data" / "anim.3ds", fs::copy_options::overwrite_existing);
    std::string error;
    if (!sw::WriteScene(GridScene(), (folder / "data" / "grid.3ds").string(), &error)) {
        std::fprintf(stderr, "cannot write the grid scene: %s\n", error.c_str());
        return 1;
    }
    fs::current_path(folder);

    headless::Reset();
    BenchWindow window;
    if (!OpenBenchWindow(&window)) {
        std::fprintf(stderr, "cannot open the headless window\n");
        return 1;
    }
    textureRegistry = new TextureRegistry();
    SetShowBaselineState();

    std::printf("scene frame at 640 x 480 (headless, %s), %d steady frames\n",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), frames);
    const char* names[] = {"anim.3ds", "grid.3ds"};
    const char* labels[] = {"TargetCameraAnim.3ds (12 triangles)", "grid (10,000 triangles)"};
    for (int i = 0; i < 2; ++i) {
        const Figures figures = Measure(names[i], frames);
        std::printf("%-38s first frame %8.3f ms   steady median %7.3f ms   p95 %7.3f ms\n",
                    labels[i], figures.firstFrameMs, figures.medianMs, figures.p95Ms);
    }

    displaySettings->ReleaseWindow(window.window, window.deviceContext, window.renderingContext);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return 0;
}
