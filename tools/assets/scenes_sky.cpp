// scenes_sky.cpp: the planes: paper planes over the fields ("planne.3ds") and jets over the
// night sea ("planne2.3ds").
#include <cmath>
#include <string>

#include "tools/assets/random.h"
#include "tools/assets/scenes_local.h"

namespace assets {

namespace sw = scene_writer;

namespace {

Vec3 FlockCentre(float t) {
    return {20.0f * std::sin(t * 0.3f), 32.0f * t, 60.0f + 6.0f * std::sin(t * 0.5f)};
}

sw::Mesh PaperPlane() {
    MeshBuilder plane("C_Plane");
    const Vec3 nose{0, 4, 0}, tail{0, -3, 0}, left{-3.2f, -3, 0.4f}, right{3.2f, -3, 0.4f},
        keel{0, -3, -1.3f};
    // Wings and keel, both sides of each, since paper has no inside.
    plane.Triangle(nose, left, tail, {0.5f, 1}, {0, 0}, {0.5f, 0}, "Paper");
    plane.Triangle(nose, tail, left, {0.5f, 1}, {0.5f, 0}, {0, 0}, "Paper");
    plane.Triangle(nose, tail, right, {0.5f, 1}, {0.5f, 0}, {1, 0}, "Paper");
    plane.Triangle(nose, right, tail, {0.5f, 1}, {1, 0}, {0.5f, 0}, "Paper");
    plane.Triangle(nose, keel, tail, {0.5f, 1}, {0.5f, 0}, {0.6f, 0}, "Paper");
    plane.Triangle(nose, tail, keel, {0.5f, 1}, {0.6f, 0}, {0.5f, 0}, "Paper");
    return plane.Build();
}

sw::Mesh Jet() {
    MeshBuilder jet("C_Jet");
    jet.Box({-0.8f, -6.0f, -0.8f}, {0.8f, 6.0f, 0.8f}, "Metal");
    jet.Box({-0.5f, 6.0f, -0.5f}, {0.5f, 8.0f, 0.4f}, "Metal");
    // Delta wings and the fin, two-sided.
    jet.TwoSidedQuad({-7.0f, -4.0f, 0}, {-0.8f, -4.0f, 0}, {-0.8f, 3.0f, 0}, {-0.8f, 3.0f, 0},
                     "Metal");
    jet.TwoSidedQuad({0.8f, -4.0f, 0}, {7.0f, -4.0f, 0}, {0.8f, 3.0f, 0}, {0.8f, 3.0f, 0}, "Metal");
    jet.TwoSidedQuad({0, -6.0f, 0.8f}, {0, -3.0f, 0.8f}, {0, -5.0f, 4.0f}, {0, -6.0f, 4.0f},
                     "Metal");
    return jet.Build();
}

}  // namespace

sw::Scene BuildPaperPlanes(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Land", "land.png");
    AddMaterial(scene, "Paper", "paper.png");
    AddMaterial(scene, "Cloud", "cloud.png", true);
    AddMaterial(scene, "Sun", "glow.png", true);
    AddMaterial(scene, "Dawn", "dawn.png", true);
    AddStandardLights(scene);

    MeshBuilder dawn("A_Dawn");
    dawn.Box({-1800, -1800, -100}, {1800, 1800, 1400}, "Dawn");
    scene.meshes.push_back(dawn.Build());
    AddMovingNode(scene, "A_Dawn",
                  SampleVector(
                      [](float t) {
                          return Vec3{0, 32.0f * t, 0};
                      },
                      frames, 10));
    scene.meshes.push_back(FacingQuad("A_Sun", 500.0f, 500.0f, "Sun"));
    AddMovingNode(scene, "A_Sun",
                  SampleVector(
                      [](float t) {
                          return Vec3{-150, 1500 + 32.0f * t, 350};
                      },
                      frames, 10));
    scene.meshes.push_back(GroundQuad("B_Land", 3000.0f, 3000.0f, "Land", 6.0f));
    AddMovingNode(scene, "B_Land", {{0, {0, 700, 0}}});

    scene.meshes.push_back(PaperPlane());
    sw::Node flock;
    flock.name = "$$$DUMMY";
    flock.instance = "Flock";
    flock.position = SampleVector(FlockCentre, frames, 2);
    scene.nodes.push_back(flock);
    const int flockIndex = static_cast<int>(scene.nodes.size()) - 1;
    Random random(7);
    const Vec3 slots[] = {{0, 0, 0},    {-9, -8, 2},  {9, -8, 2},  {-18, -16, 4}, {18, -16, 4},
                          {0, -18, -3}, {-9, -26, 0}, {9, -26, 0}, {0, -34, 5}};
    for (int i = 0; i < 9; ++i) {
        const Vec3 slot = slots[i];
        const float phase = random.Range(0.0f, 6.28f);
        sw::Node node;
        node.name = "C_Plane";
        node.parent = flockIndex;
        node.position = SampleVector(
            [=](float t) {
                return Vec3{slot.x + 2.0f * std::sin(t * 0.9f + phase),
                            slot.y + 2.0f * std::sin(t * 0.5f + phase),
                            slot.z + 1.5f * std::sin(t * 1.7f + phase)};
            },
            frames, 1);
        node.rotation = SampleRotation(
            {0, 1, 0},
            [=](float t) { return 0.45f * std::cos(t * 0.9f + phase) - 0.3f * std::cos(t * 0.3f); },
            frames, 1);
        scene.nodes.push_back(node);
    }

    scene.meshes.push_back(FacingQuad("D_Cloud", 70.0f, 45.0f, "Cloud"));
    for (int i = 0; i < 36; ++i) {
        const Vec3 p{random.Range(-220.0f, 220.0f), random.Range(60.0f, 900.0f),
                     random.Range(30.0f, 130.0f)};
        // Keep clear of the flock's own airspace so no cloud swallows the camera.
        if (std::fabs(p.x - 20.0f * std::sin(p.y / 32.0f * 0.3f)) < 45.0f &&
            std::fabs(p.z - 60.0f) < 35.0f)
            continue;
        AddMovingNode(scene, "D_Cloud", {{0, p}});
    }

    // Behind the flock, then alongside it, then above and behind.
    AddCameraPath(
        scene,
        [](float t) {
            const float a = 1.2f * std::sin(t / 13.4f * kPi);  // swing round to the side and back
            const Vec3 offset{-55.0f * std::sin(a), -55.0f * std::cos(a),
                              14.0f + 10.0f * Ease((t - 8.0f) / 5.0f)};
            return Add(FlockCentre(t), offset);
        },
        [](float t) {
            return Add(FlockCentre(t), Vec3{0, -10, 0});
        },
        55.0f, frames, 10, [](float t) { return 8.0f * std::sin(t * 0.6f); });
    return scene;
}

sw::Scene BuildJets(int frames) {
    sw::Scene scene;
    // The sea glows by itself: lit by the head light it would be black at this low angle.
    AddMaterial(scene, "Sea", "sea.png", true);
    AddMaterial(scene, "Metal", "jet.png");
    AddMaterial(scene, "Trail", "beam.png", true);
    AddMaterial(scene, "Burner", "glowb.png", true);
    AddMaterial(scene, "Moon", "glow.png", true);
    AddMaterial(scene, "Sky", "stars.png", true);
    AddStandardLights(scene);

    const auto lead = [](float t) {
        return Vec3{0.0f, 70.0f * t, 45.0f + 8.0f * std::sin(t * 0.4f)};
    };

    MeshBuilder sky("A_Sky");
    sky.Box({-3000, -3000, -200}, {3000, 3000, 2000}, "Sky");
    scene.meshes.push_back(sky.Build());
    AddMovingNode(scene, "A_Sky",
                  SampleVector(
                      [&lead](float t) {
                          return Vec3{0, lead(t).y, 0};
                      },
                      frames, 10));
    scene.meshes.push_back(FacingQuad("A_Moon", 400.0f, 400.0f, "Moon"));
    AddMovingNode(scene, "A_Moon",
                  SampleVector(
                      [&lead](float t) {
                          return Vec3{300, lead(t).y + 2000, 500};
                      },
                      frames, 10));
    scene.meshes.push_back(GroundQuad("B_Sea", 4000.0f, 4000.0f, "Sea", 40.0f));
    AddMovingNode(scene, "B_Sea", {{0, {0, 1200, 0}}});

    scene.meshes.push_back(Jet());
    MeshBuilder trail("Z_Trail");
    AddBeam(trail, {0, -6.0f, 0}, {0, -120.0f, 0}, 2.5f, "Trail");
    scene.meshes.push_back(trail.Build());
    scene.meshes.push_back(CrossSprite("Z_Burner", 5.0f, "Burner"));

    // A V of five, rolling one after the other mid-scene.
    const Vec3 slots[] = {{0, 0, 0}, {-16, -14, -2}, {16, -14, -2}, {-32, -28, -4}, {32, -28, -4}};
    for (int i = 0; i < 5; ++i) {
        const Vec3 slot = slots[i];
        const float rollStart = 5.0f + i * 0.5f;
        sw::Node jet;
        jet.name = "C_Jet";
        jet.position = SampleVector(
            [=](float t) {
                return Add(lead(t), Vec3{slot.x, slot.y, slot.z + std::sin(t * 1.3f + i)});
            },
            frames, 1);
        jet.rotation = SampleRotation(
            {0, 1, 0},
            [=](float t) {
                return 2.0f * kPi * Ease((t - rollStart) / 1.6f) + 0.12f * std::sin(t + i);
            },
            frames, 1);
        scene.nodes.push_back(jet);
        const int parent = static_cast<int>(scene.nodes.size()) - 1;
        AddMovingNode(scene, "Z_Trail", {{0, {0, 0, 0}}}, parent);
        const int burner = AddMovingNode(scene, "Z_Burner", {{0, {0, -6.5f, 0}}}, parent);
        scene.nodes[burner].scale = SampleVector(
            [](float t) {
                const float s = 0.8f + 0.5f * BeatPulse(t * 2.0f);
                return Vec3{s, s, s};
            },
            frames, 1);
    }

    // From the left side, sweeping under and ahead to look back at the formation, then
    // falling behind it.
    AddCameraPath(
        scene,
        [&lead](float t) {
            const float a = -1.4f + 2.6f * Ease(t / 9.0f) - 1.2f * Ease((t - 9.0f) / 4.4f);
            const float r = 75.0f;
            return Add(lead(t), Vec3{r * std::sin(a) * 0.9f - 10.0f, -r * std::cos(a) - 10.0f,
                                     -12.0f + 10.0f * std::cos(a)});
        },
        [&lead](float t) {
            return Add(lead(t), Vec3{0, -14, -2});
        },
        60.0f, frames, 10, [](float t) { return 12.0f * std::sin(t * 0.5f); });
    return scene;
}

}  // namespace assets
