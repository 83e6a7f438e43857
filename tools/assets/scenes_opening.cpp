// scenes_opening.cpp: the title ("btitre.3ds") and the number ("32.3ds").
#include <cmath>
#include <string>

#include "tools/assets/block_font.h"
#include "tools/assets/random.h"
#include "tools/assets/scenes_local.h"

namespace assets {

namespace sw = scene_writer;

namespace {

// Adds one line of block letters flying into place: letter i lands at `land(i)` seconds,
// tumbling in from `from`, then floats gently. Returns nothing; meshes are shared per glyph.
void AddFlyingText(sw::Scene& scene, const std::string& text, const std::string& prefix, float cell,
                   float depth, float lineZ, float firstLanding, float landingStep, Vec3 from,
                   int frames) {
    const float advance = (kGlyphColumns + 1) * cell;
    const float left = -TextColumns(text) * cell * 0.5f + kGlyphColumns * cell * 0.5f;
    std::string made;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ') continue;
        const std::string mesh = prefix + c;
        if (made.find(c) == std::string::npos) {
            scene.meshes.push_back(GlyphMesh(c, mesh, cell, depth, "Gold", "Lacquer"));
            made += c;
        }
        const Vec3 rest{left + i * advance, 0.0f, lineZ};
        const float land = firstLanding + i * landingStep;
        const float wobble = static_cast<float>(i) * 0.7f;
        auto position = [=](float t) {
            const float k = 1.0f - Ease(t / land);
            Vec3 p = Add(rest, Mul(from, k * k));
            p.z += 0.25f * std::sin(2.0f * kPi * 0.4f * t + wobble) * Ease((t - land) * 2.0f);
            return p;
        };
        sw::Node node;
        node.name = mesh;
        node.position = SampleVector(position, frames, 1);
        const Vec3 axis = Normalized({1.0f, 0.3f * (i % 3) - 0.3f, 0.2f});
        node.rotation = SampleRotation(
            axis, [=](float t) { return -2.0f * kPi * (1.0f - Ease(t / land)); }, frames, 1);
        scene.nodes.push_back(node);
    }
}

}  // namespace

sw::Scene BuildTitle(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Gold", "gold.png");
    AddMaterial(scene, "Lacquer", "lacquer.png");
    AddMaterial(scene, "Halo", "ring.png", true);
    AddMaterial(scene, "Spark", "glow.png", true);
    AddMaterial(scene, "Beam", "beamo.png", true);
    AddMaterial(scene, "Floor", "gridp.png", true);
    AddStandardLights(scene);

    // Background glows, named to be drawn before the letters so the letters cover them.
    scene.meshes.push_back(FacingQuad("A_Halo", 100.0f, 100.0f, "Halo"));
    scene.meshes.push_back(FacingQuad("A_Beam", 160.0f, 3.0f, "Beam"));
    const int halo = AddMovingNode(scene, "A_Halo", {{0, {0, 45, 1}}});
    scene.nodes[halo].scale = SampleVector(
        [](float t) {
            const float s = 1.0f + 0.12f * BeatPulse(t) + 0.1f * Ease(t / 6.0f);
            return Vec3{s, s, s};
        },
        frames, 1);
    for (int k = 0; k < 2; ++k) {
        AddMovingNode(scene, "A_Beam",
                      Passes({0, 25.0f + k * 5.0f, -30.0f}, {0, 25.0f + k * 5.0f, 30.0f}, 4.3f,
                             k * 2.1f, frames));
    }
    scene.meshes.push_back(GroundQuad("A_Floor", 400.0f, 1000.0f, "Floor", 16.0f));
    AddMovingNode(scene, "A_Floor", {{0, {0, 200, -12}}, {frames, {0, 200 - frames * 0.25f, -12}}});

    AddFlyingText(scene, "KELVO REMIX", "L_", 1.0f, 1.6f, 3.5f, kBeatSeconds, kBeatSeconds * 0.5f,
                  {0.0f, -60.0f, 30.0f}, frames);
    AddFlyingText(scene, "BY TARVIK", "S_", 0.6f, 1.0f, -5.5f, kBeatSeconds * 8.0f,
                  kBeatSeconds * 0.25f, {0.0f, 10.0f, -40.0f}, frames);

    // Sparks rising in front of and around the letters.
    scene.meshes.push_back(FacingQuad("Z_Spark", 1.6f, 1.6f, "Spark"));
    Random random(3);
    for (int i = 0; i < 28; ++i) {
        const Vec3 base{random.Range(-45.0f, 45.0f), random.Range(-12.0f, 12.0f),
                        random.Range(-20.0f, 10.0f)};
        const float speed = random.Range(2.0f, 6.0f), sway = random.Range(0.0f, 6.28f);
        AddMovingNode(scene, "Z_Spark",
                      Passes(base, Add(base, Vec3{1.5f * std::sin(sway), 0.0f, 30.0f}),
                             30.0f / speed, sway, frames));
    }

    AddCameraPath(
        scene,
        [](float t) {
            const float k = Ease(t / 6.7f);
            return Vec3{-18.0f + 26.0f * k, -100.0f + 45.0f * k, 10.0f - 8.0f * k};
        },
        [](float t) {
            return Vec3{-2.0f + 2.0f * Ease(t / 6.7f), 0.0f, 0.0f};
        },
        55.0f, frames, 1);
    return scene;
}

sw::Scene BuildThirtyTwo(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Lava", "lava.png");
    AddMaterial(scene, "Orbit", "glow.png", true);
    AddMaterial(scene, "Floor", "lattice.png", true);
    AddMaterial(scene, "Sky", "stars.png", true);
    AddStandardLights(scene);

    scene.meshes.push_back(FacingQuad("A_Sky", 600.0f, 400.0f, "Sky", 4.0f));
    scene.meshes.push_back(GroundQuad("A_Floor", 300.0f, 500.0f, "Floor", 10.0f));
    AddMovingNode(scene, "A_Sky", {{0, {0, 200, 0}}});
    AddMovingNode(scene, "A_Floor", {{0, {0, 100, -14}}, {frames, {0, 100 - frames * 0.12f, -14}}});

    MeshBuilder cube("C_Cube");
    cube.Box({-0.85f, -0.85f, -0.85f}, {0.85f, 0.85f, 0.85f}, "Lava");
    scene.meshes.push_back(cube.Build());

    // The number turns slowly as a whole: its cubes hang under one dummy node.
    sw::Node number;
    number.name = "$$$DUMMY";
    number.instance = "Number";
    number.rotation = SampleRotation(
        {0, 0, 1}, [](float t) { return 0.35f * std::sin(t * 0.6f); }, frames, 2);
    scene.nodes.push_back(number);
    const int parent = static_cast<int>(scene.nodes.size()) - 1;

    Random random(32);
    const std::string digits = "32";
    ForEachTextCell(digits, [&](int column, int row) {
        const Vec3 rest{(column - 5.0f) * 2.0f, 0.0f, (3.0f - row) * 2.0f};
        const Vec3 scatter =
            Mul(Normalized({random.Range(-1, 1), random.Range(-1, 1), random.Range(-1, 1)}),
                random.Range(30.0f, 50.0f));
        const float arrive = kBeatSeconds * (1 + random.Below(4));
        const float leave = kBeatSeconds * 14.0f + random.Range(0.0f, 0.6f);
        const float phase = (column % (kGlyphColumns + 1) + row) * 0.08f;  // within its digit
        sw::Node node;
        node.name = "C_Cube";
        node.parent = parent;
        node.position = SampleVector(
            [=](float t) {
                const float in = 1.0f - Ease(t / arrive);
                const float out = Ease((t - leave) / 1.2f);
                Vec3 p = Add(rest, Mul(scatter, in * in + out * out * 0.8f));
                p.y -= 1.5f * BeatPulse(t - phase, 5.0f) * Ease((t - arrive) * 4.0f);
                return p;
            },
            frames, 1);
        const Vec3 axis = Normalized({random.Range(-1, 1), random.Range(-1, 1), 1.0f});
        node.rotation = SampleRotation(
            axis,
            [=](float t) {
                return 2.0f * kPi * ((1.0f - Ease(t / arrive)) + Ease((t - leave) / 1.2f) * 0.5f);
            },
            frames, 1);
        scene.nodes.push_back(node);
    });

    // Glows wheeling round the number in the plane facing the camera.
    scene.meshes.push_back(FacingQuad("Z_Orbit", 3.0f, 3.0f, "Orbit"));
    sw::Node wheel;
    wheel.name = "$$$DUMMY";
    wheel.instance = "Wheel";
    wheel.rotation = Spin({0, 1, 0}, 0.15f, frames);
    scene.nodes.push_back(wheel);
    const int wheelIndex = static_cast<int>(scene.nodes.size()) - 1;
    for (int i = 0; i < 24; ++i) {
        const float a = 2.0f * kPi * i / 24.0f;
        const float r = 24.0f + 2.0f * (i % 2);
        AddMovingNode(scene, "Z_Orbit", {{0, {r * std::cos(a), -2.0f, r * std::sin(a)}}},
                      wheelIndex);
    }

    AddCameraPath(
        scene,
        [](float t) {
            const float a = -0.6f + 1.1f * Ease(t / 6.7f);
            const float r = 50.0f - 8.0f * std::sin(t / 6.7f * kPi);
            return Vec3{r * std::sin(a), -r * std::cos(a), 8.0f - 4.0f * t / 6.7f};
        },
        [](float) {
            return Vec3{0.0f, 0.0f, 0.0f};
        },
        50.0f, frames, 10, [](float t) { return -8.0f + 14.0f * Ease(t / 6.7f); });
    return scene;
}

}  // namespace assets
